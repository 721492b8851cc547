// The skinned-window library: everything a skinned window includes.
#pragma once

#include "uilib/ui_base.h"
#include "uilib/ui_builder.h"
#include "uilib/ui_button.h"
#include "uilib/ui_container.h"
#include "uilib/ui_control.h"
#include "uilib/ui_label.h"
#include "uilib/ui_manager.h"
#include "uilib/ui_meter.h"
#include "uilib/ui_option.h"
