// Window messages that the docked channel and sampling bars send to the main
// frame; the frame's handlers give each its meaning.
#pragma once

#include "platform/Message.h"

// wParam = channel: balance that one channel.
constexpr platform::UINT WM_BAR_BALANCE_CHANNEL = 0x856;
// Channel descriptions changed.
constexpr platform::UINT WM_BAR_DESCRIPTIONS_CHANGED = 0x857;
// Redraw the single-channel monitor windows.
constexpr platform::UINT WM_BAR_REDRAW_MONITORS = 0x8B4;
// wParam = channel (posted): reset the channel's zero value.
constexpr platform::UINT WM_BAR_RESET_ZERO = 0x8B7;
// Sampling parameters changed: reset the current run.
constexpr platform::UINT WM_BAR_SAMPLE_PARAMS_CHANGED = 0x8B8;
// Take the sampling settings back from the sampling bar.
constexpr platform::UINT WM_BAR_TAKE_SAMPLE_SETTINGS = 0x8B9;
// wParam = previous sample mode, or 0: sample mode or measurement types changed.
constexpr platform::UINT WM_BAR_SAMPLE_MODE_CHANGED = 0x8BA;
// wParam = pointer to a std::vector<std::int32_t> of channels, valid during
// the send: send those channels' parameters to the cases.
constexpr platform::UINT WM_BAR_SEND_CHANNEL_PARAMS = 0x8D1;
