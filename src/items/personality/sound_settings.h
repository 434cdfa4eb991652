// The sounds the system plays for application events.
#pragma once

#include "engine/settings.h"

// "Sound": the "AppEvents" key with all its sub keys. The sound files
// themselves stay behind.
class TSoundSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;

 private:
  void Describe(TConnection& stream);
};
