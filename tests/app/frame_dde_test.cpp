// The local value service of the running program on a private session bus,
// asked by a client of its own: the topic and item rules, the values of a
// live run, and a name already taken on the bus.
#include "FrameRunFixture.h"
#include "PrivateSessionBus.h"

#include "acquisition/DdeServer.h"
#include "app/DdeService.h"

#include <QDBusError>

#include <cstdio>

namespace {

constexpr int ID_START_SAMPLE = 32788;

// A reply: the value text, or the error's name.
struct Answer {
    QString value;
    QString error;
};

Answer Ask(const QDBusConnection& client, const QString& topic, const QString& item) {
    QDBusMessage call = QDBusMessage::createMethodCall("QVhost.DDE", "/QVhost", "QVhost.DDE", "Request");
    call << topic << item;
    QDBusPendingReply<QString> reply = client.asyncCall(call, 10000);
    // The program answers on the user-interface thread: keep it running.
    ProcessEventsUntil([&] { return reply.isFinished(); });
    if (reply.isError()) {
        return {{}, reply.error().name()};
    }
    return {reply.value(), {}};
}

const QString kNoConversation = "QVhost.DDE.Error.NoConversation";
const QString kNoData = "QVhost.DDE.Error.NoData";

class FrameDdeTest : public FrameRunTest {
protected:
    void PrepareProgram() override {
        m_bus = std::make_unique<PrivateSessionBus>();
        ASSERT_TRUE(m_bus->IsRunning());
    }
    void TearDown() override {
        FrameRunTest::TearDown();
        m_bus.reset();
    }
    std::unique_ptr<PrivateSessionBus> m_bus;
};

TEST_F(FrameDdeTest, TopicsAndItemsFollowTheOnlineCases) {
    ASSERT_NE(m_frame->GetDdeService(), nullptr);
    Search(); // units 0, 1 and 8 online
    const QDBusConnection client = m_bus->Client();
    ASSERT_TRUE(client.isConnected());
    const struct {
        const char* topic;
        const char* item;
        QString value;
        QString error;
    } cases[] = {
        {"Box1", "Tag0", "0.000000", {}},  // nothing sampled yet
        {"box2", "Tag16", "0.000000", {}}, // the prefix in any case
        {"BOX9", "tag5", "0.000000", {}},
        {"Box0", "Tag0", {}, kNoConversation},
        {"Box513", "Tag0", {}, kNoConversation},
        {"Box3", "Tag0", {}, kNoConversation}, // unit 2 is not online
        {"Bin1", "Tag0", {}, kNoConversation},
        {"Box1x", "Tag0", {}, kNoConversation},
        {"Box1", "Tag17", {}, kNoData},
        {"Box1", "Tag-1", {}, kNoData},
        {"Box1", "Value1", {}, kNoData},
    };
    for (const auto& c : cases) {
        const Answer answer = Ask(client, c.topic, c.item);
        EXPECT_EQ(answer.value, c.value) << c.topic << " " << c.item;
        EXPECT_EQ(answer.error, c.error) << c.topic << " " << c.item;
    }
}

// After a run the service serves the last set's values: word 0 the unit,
// words 1-16 its channels' engineering values as the frame holds them.
TEST_F(FrameDdeTest, ValuesFollowALiveRun) {
    Search();
    const std::string projectFile = m_scratch.File("Projects/Dde/Dde.dap");
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(projectFile), 1);
    SetRunSettings(SAMPLE_MODE_TIMED, 10, 2);
    auto now = std::make_shared<std::atomic<std::int64_t>>(100000);
    m_frame->GetSampling().SetClock([now] { return now->fetch_add(4000); });
    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted());

    const QDBusConnection client = m_bus->Client();
    const float* values = m_frame->GetSampling().GetValueBuffer();
    bool anyNonZero = false;
    for (int slot = 0; slot < g_nCaseCount; ++slot) {
        const int unit = g_CaseList[slot];
        const QString topic = QString("Box%1").arg(unit + 1);
        EXPECT_EQ(Ask(client, topic, "Tag0").value, QString::asprintf("%f", static_cast<double>(unit)));
        for (int ch = 0; ch < 16; ++ch) {
            const float value = values[slot * 16 + ch];
            anyNonZero = anyNonZero || value != 0.0f;
            EXPECT_EQ(Ask(client, topic, QString("Tag%1").arg(ch + 1)).value,
                      QString::asprintf("%f", static_cast<double>(value)))
                << "unit " << unit << " channel " << ch;
        }
    }
    EXPECT_TRUE(anyNonZero);
}

// Another program holds the name when this one starts: the bus's refusal
// shows under "DDE Error" and the program runs on without the service.
class FrameDdeNameTakenTest : public FrameDdeTest {
protected:
    void PrepareProgram() override {
        FrameDdeTest::PrepareProgram();
        m_other = std::make_unique<QDBusConnection>(m_bus->Client());
        ASSERT_TRUE(m_other->registerService("QVhost.DDE"));
    }
    void TearDown() override {
        m_other.reset();
        FrameDdeTest::TearDown();
    }
    std::unique_ptr<QDBusConnection> m_other;
};

TEST_F(FrameDdeNameTakenTest, TheRefusalIsShownAndStartUpGoesOn) {
    EXPECT_EQ(m_frame->GetDdeService(), nullptr);
    bool shown = false;
    for (const auto& box : m_boxes.Records()) {
        if (box.caption == "DDE Error") {
            shown = true;
            EXPECT_NE(box.text.find("QVhost.DDE"), std::string::npos) << box.text;
        }
    }
    EXPECT_TRUE(shown);
    EXPECT_TRUE(m_frame->isVisible());
}

} // namespace
