// Parameterised fixture: each contract test runs once per target machine.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "platform/contract/bench.h"

namespace qv::test {

class ContractTest : public ::testing::TestWithParam<Target> {
 protected:
  void SetUp() override { bench_ = GetParam().make(); }
  void TearDown() override { bench_.reset(); }

  Bench& bench() { return *bench_; }
  IRegistry& reg() { return bench_->reg(); }
  IFiles& files() { return bench_->files(); }
  ISystemInfo& sys() { return bench_->sys(); }
  bool IsNT() const { return bench_->kind() == okWinNT; }

 private:
  std::unique_ptr<Bench> bench_;
};

#define QV_CONTRACT_SUITE(Suite)                                                       \
  INSTANTIATE_TEST_SUITE_P(Machines, Suite, ::testing::ValuesIn(::qv::test::Targets()), \
                           [](const ::testing::TestParamInfo<::qv::test::Target>& i) { \
                             return i.param.name;                                      \
                           })

}  // namespace qv::test
