// The local value service's rules: the tag table of the current channel
// values of the online cases, and the answers to a request for topic
// "Box<n>" (case n-1) and item "Tag<k>" (word k of its 17). The service
// itself is the frame's D-Bus object (app/DdeService.h).
#pragma once

#include "model/CaseTables.h"

#include <string>

constexpr int DDE_TAGS_PER_CASE = 17;

// Per slot of the online case list: word 0 the unit number, words 1-16 its
// channels' engineering values; 0 before the first sample set. Guarded by
// the global data lock.
extern float g_fTagTable[MAX_CASE_COUNT * DDE_TAGS_PER_CASE];

// Takes the current sample set's engineering values (the frame's value
// buffer, 16 a slot) into the tag table; the caller holds the data lock.
void UpdateTagTable(const float* valueBuffer);
void ResetTagTable();

// The topic check of a new conversation: "Box" (any case) and a number from
// 1 to 512 that is an online case number + 1. Gives the case number.
bool DdeAcceptTopic(const std::string& topic, int& caseNumber);
// The value of item "Tag<k>" (k 0-16, "Tag" any case) of an accepted topic,
// as "%f" text; false when the item serves nothing.
bool DdeRequestValue(int caseNumber, const std::string& item, std::string& text);
