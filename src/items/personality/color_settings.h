// The system colours and the appearance schemes.
#pragma once

#include <string>

#include "engine/settings.h"

// "Colors": the scheme, colour and appearance keys of the user, the 25
// system colours and the name of the current scheme.
class TColorSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;

 private:
  void Describe(TConnection& stream);

  std::string CurrentScheme;
};
