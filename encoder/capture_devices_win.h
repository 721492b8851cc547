// What the machine offers the adapter's cores: the two capture filters where
// they are registered as DirectShow inputs, and else the screen filter's
// capture area from its settings in the registry.
#pragma once

#include <optional>

#include "encoder/encoder_args.h"

// The screen filter's capture area from its settings (kScreenFilterKey, 32-bit
// view), kept inside the virtual screen; empty when a value is missing.
std::optional<CaptureArea> ReadScreenFilterArea();

// The devices the core can use, with COM started for the enumeration. The
// sound the adapter captures itself is added by AudioCapture::Open.
CaptureDevices FindCaptureDevices();
