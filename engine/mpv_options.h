#pragma once
// The options table: every option the core gets that does not follow a setting. The one place to add one.

#include "engine/mpv_client.h"

MpvClient::Options fixedOptions();
