// Test and demo controls of the digital-interface stand-in
// (libDigitalInterface.so): the simulated sensors' stamps and values, the
// load-control commands a test orders, and the log of every call.
#pragma once

#include <cstdint>

extern "C" {
// The time of sample 0 (seconds since 1970); sample k is stamped t0 + k / f.
void DigitalSimSetTimeOrigin(double t0);
// The two time words and the value of sensor d in sample k.
void DigitalSimStamp(std::int64_t k, std::uint32_t* time1, std::uint32_t* time2);
float DigitalSimValue(int sensor, std::int64_t k);
// Samples handed out by the batch function so far.
std::int64_t DigitalSimBatchSamples();
// Sends the load-control command to the window the program named, from the
// calling thread: code with the two time words.
int DigitalSimOrderCommand(int code, std::uint32_t time1, std::uint32_t time2);
// Calls of a function so far; the masks of the load-control actions with
// the milliseconds since loading at which each came (at most max).
int DigitalSimCallCount(const char* function);
int DigitalSimActions(std::uint32_t* masks, std::int64_t* ms, int max);
// The sensor-side start result (StartLCSRunChannel) the stand-in reports.
void DigitalSimSetRunChannelResult(int ok);
// Whether LoadDigitalChannel reports new channel settings.
void DigitalSimSetNewChannels(int made);
}
