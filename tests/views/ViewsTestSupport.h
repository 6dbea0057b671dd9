// Shared set-up of the view tests: the one QApplication, and a table world
// of two online units over a stored run written by the run writer.
#pragma once

// The data-file headers come before any Qt header (a member of the online
// layout is named like a Qt keyword).
#include "datafiles/RunWriter.h"
#include "views/curve/CurveWorld.h"
#include "views/table/TableData.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <memory>
#include <string>

inline void EnsureViewsTestApp() {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "views_tests";
        static char* argv[] = {name, nullptr};
        // Never destroyed: a static application object would outlive Qt's own statics.
        static QApplication* app = new QApplication(argc, argv);
        (void)app;
    }
}

namespace viewtest {

// Units 0 and 1 online, all 32 channels enabled and present, strain channels
// with units and descriptions; a run of `samples` stored samples.
class TableWorldFixture : public ::testing::Test {
protected:
    void SetUp() override {
        world.caseList = {0, 1};
        for (int channel = 0; channel < 32; ++channel) {
            world.channelList.push_back(channel);
            TableChannelInfo& info = world.channels[std::size_t(channel)];
            info.bEnabled = info.bPresent = true;
            info.strDescription = "描述" + std::to_string(channel);
            info.strUnit = "με";
        }
        world.nMeasChanCount = 32;
        world.channelTable = &channels;
        world.layout = OnlineLayout::FromUnits({0, 1}, false);
    }

    // Writes the run and points the world at it.
    void StoreRun(std::int64_t samples, testrun::RunSpec* spec = nullptr) {
        testrun::RunSpec defaultSpec{dir.Path(), "run", {0, 1}, samples};
        writer = std::make_unique<testrun::RunWriter>(spec ? *spec : defaultSpec);
        writer->Write();
        world.dataPath = writer->DataPath();
        world.statusPath = writer->StatusPath();
        world.digitalPath = dir.Path() + "/run.dst";
        world.nStoredCount = int(samples);
        world.nProjectState = 2;
    }

    // The stored engineering value of a channel at a sample.
    static float Stored(int channel, std::int64_t sample) {
        return testrun::RawValue(channel / 16, channel % 16, sample) * 0.5f;
    }

    testrun::TempDir dir;
    testrun::HalfChannelTable channels;
    TableWorld world;
    std::unique_ptr<testrun::RunWriter> writer;
};

// The curve views' world over a stored run of units 0 and 1: all 32
// channels measured in frame order, strain channels with descriptions.
inline CurveWorld StoredCurveWorld(const testrun::RunWriter& run, const IChannelTable& table, int samples) {
    CurveWorld world;
    for (int id = 0; id < 32; ++id) {
        world.measChanList.push_back(id);
        world.channelList.push_back(id);
        CurveChannelText& c = world.channels[std::size_t(id)];
        c.bEnabled = c.bPresent = true;
        c.strUnit = "με";
        c.strDescription = "测点" + std::to_string(id);
    }
    world.nCaseCount = 2;
    world.nProjectState = 2;
    world.nStoredCount = samples;
    world.dataPath = run.DataPath();
    world.layout = run.Layout();
    world.channelTable = &table;
    return world;
}

// A live view's picture drawn in pieces, sample by sample, against the
// whole picture painted afresh from the same points. Lines drawn in pieces
// may end a pixel further than one drawn through, so a curve pixel only the
// pieces have is stray when it touches none of the whole curve; any other
// difference is something of the whole picture missing.
struct PieceDifference {
    int missing = 0;
    int stray = 0;
    int curvePixels = 0; // of the whole picture: a picture without a curve proves nothing
};

inline PieceDifference CompareDrawnInPieces(const QImage& drawn, const QImage& whole, QRgb curve) {
    const auto touchesCurve = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (whole.valid(x + dx, y + dy) && whole.pixel(x + dx, y + dy) == curve)
                    return true;
        return false;
    };
    PieceDifference difference;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb got = drawn.pixel(x, y);
            difference.curvePixels += whole.pixel(x, y) == curve ? 1 : 0;
            if (got == whole.pixel(x, y))
                continue;
            if (got != curve)
                ++difference.missing;
            else if (!touchesCurve(x, y))
                ++difference.stray;
        }
    return difference;
}

// A stored run of units 0 and 1 in a scratch folder and the curve views' world over it.
struct StoredCurveRun {
    explicit StoredCurveRun(int samples) : writer(testrun::RunSpec{dir.Path(), "run", {0, 1}, samples}) {
        writer.Write();
        world = StoredCurveWorld(writer, channels, samples);
    }

    testrun::TempDir dir;
    testrun::HalfChannelTable channels;
    testrun::RunWriter writer;
    CurveWorld world;
};

} // namespace viewtest
