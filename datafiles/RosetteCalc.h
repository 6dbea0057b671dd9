// Strain-rosette results: the per-sample formula and the worker that turns
// a stored run into one ".sfd" file per group (the group record, then one
// result record per sample).
#pragma once

#include "datafiles/ResultCalcSource.h"
#include "model/ResidualStressFormula.h"
#include "model/ResultGroups.h"

struct RosetteCalcParam : ResultCalcSource {
    std::vector<RosetteGroupRecord> groups;
};

// Principal strains and stresses, maximum shear and direction of one sample.
int CalcRosetteResult(const RosetteInput& input, float result[6]);

// The worker's body: computes every group's file in order. A group whose
// gauges cannot be read is reported and its file keeps only its header.
ResultStatus RosetteCalcThread(const RosetteCalcParam& param, const std::atomic<bool>& cancel);
// Runs it on the worker (one per project) and posts the end to the owner.
bool StartRosetteCalc(CResultWorker& worker, RosetteCalcParam param);
