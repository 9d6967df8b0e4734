// Confirming the Mouse Properties dialog: stand-in windows with the dialog's
// titles, hidden and sent Enter by the two timers.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/RestoreSupport.h"

namespace shubiao {
namespace {

using namespace test;

const std::wstring kDialogTitle = L"鼠标 属性";
const std::wstring kConfirmTitle = L"是否替换方案?";

class Automation : public EditorTest {
protected:

    void Restore() {
        desktop.boxAnswers.push_back(IDOK);
        editor.HuanYuan_ShuBiaoZhiZhen();
        ASSERT_TRUE(editor.TimerEnabled(ShuBiaoKong::kTimer1Id));
    }

    // Restores and lets Timer1 find a dialog; the automation is then confirming.
    void Confirming(KeyTarget& dialog) {
        Restore();
        editor.Timer1_Timer();
        ASSERT_FALSE(editor.TimerEnabled(ShuBiaoKong::kTimer1Id));
        ASSERT_TRUE(editor.TimerEnabled(ShuBiaoKong::kTimer2Id));
        dialog.DeliverPostedKeys();
    }

    void ExpectState(bool timer1, bool timer2) {
        EXPECT_EQ(editor.TimerEnabled(ShuBiaoKong::kTimer1Id), timer1);
        EXPECT_EQ(editor.TimerEnabled(ShuBiaoKong::kTimer2Id), timer2);
    }
};

// Every press is a key-down of Enter with repeat count 1 and Enter's scan
// code, and nothing else (no key-up, no character) reaches the window.
void ExpectEnterPresses(const KeyTarget& target, size_t count) {
    EXPECT_EQ(target.enterDowns.size(), count);
    EXPECT_EQ(target.otherKeyMessages, 0);
    const UINT scanCode = MapVirtualKeyW(VK_RETURN, MAPVK_VK_TO_VSC);
    EXPECT_NE(scanCode, 0u);
    for (LPARAM lParam : target.enterDowns) {
        const auto bits = static_cast<unsigned long long>(lParam);
        EXPECT_EQ(bits & 0xFFFF, 1u) << "repeat count";
        EXPECT_EQ((bits >> 16) & 0xFF, scanCode) << "scan code";
        EXPECT_EQ(bits >> 24, 0u) << "not extended, key was up, key going down";
    }
}

TEST_F(Automation, StatesGoIdleWaitingConfirmingIdle) {
    ExpectState(false, false);  // idle
    Restore();
    ExpectState(true, false);  // waiting for the dialog

    for (int tick = 0; tick < 5; ++tick) editor.Timer1_Timer();
    ExpectState(true, false);  // nothing there: keeps polling

    KeyTarget dialog(kDialogTitle);
    auto confirm = std::make_unique<KeyTarget>(kConfirmTitle);
    ASSERT_TRUE(dialog.Visible());
    editor.Timer1_Timer();
    ExpectState(false, true);  // confirming
    EXPECT_FALSE(dialog.Visible());
    dialog.DeliverPostedKeys();
    ExpectEnterPresses(dialog, 2);
    confirm->DeliverPostedKeys();
    EXPECT_TRUE(confirm->Visible()) << "Timer1 leaves the confirmation to Timer2";
    ExpectEnterPresses(*confirm, 0);

    for (size_t tick = 1; tick <= 3; ++tick) {
        editor.Timer2_Timer();
        ExpectState(false, true);
        EXPECT_FALSE(confirm->Visible());
        confirm->DeliverPostedKeys();
        ExpectEnterPresses(*confirm, 2 * tick);
    }

    confirm.reset();
    editor.Timer2_Timer();
    ExpectState(false, false);  // idle again
    dialog.DeliverPostedKeys();
    ExpectEnterPresses(dialog, 2);
}

TEST_F(Automation, Timer2StopsAtItsFirstTickWithoutAConfirmation) {
    KeyTarget dialog(kDialogTitle);
    Confirming(dialog);
    editor.Timer2_Timer();
    ExpectState(false, false);
    dialog.DeliverPostedKeys();
    ExpectEnterPresses(dialog, 2);

    // A confirmation that comes up later is left to the user: no timer ticks.
    KeyTarget late(kConfirmTitle);
    PumpMessages(250);
    EXPECT_TRUE(late.Visible());
    ExpectEnterPresses(late, 0);
    ExpectState(false, false);
}

TEST_F(Automation, RestoreWhileConfirmingRunsBothTimers) {
    KeyTarget dialog(kDialogTitle);
    Confirming(dialog);
    Restore();
    ExpectState(true, true);
    editor.Timer1_Timer();  // the hidden dialog is still found
    ExpectState(false, true);
    dialog.DeliverPostedKeys();
    ExpectEnterPresses(dialog, 4);
}

class NearDialogTitle : public Automation, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(NearDialogTitle, IsNotTakenForTheDialog) {
    Restore();
    KeyTarget lookalike(GetParam());
    for (int tick = 0; tick < 3; ++tick) editor.Timer1_Timer();
    ExpectState(true, false);
    EXPECT_TRUE(lookalike.Visible());
    lookalike.DeliverPostedKeys();
    ExpectEnterPresses(lookalike, 0);
}

INSTANTIATE_TEST_SUITE_P(Titles, NearDialogTitle,
                         ::testing::Values(L"鼠标属性", L"鼠标 属 性", L"鼠标  属性", L"鼠标\u3000属性", L"鼠标 属性 ",
                                           L" 鼠标 属性", L"鼠标 属", L"鼠标 性", L"鼠标 属性?", L"是否替换方案?"));

class NearConfirmTitle : public Automation, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(NearConfirmTitle, IsNotTakenForTheConfirmation) {
    KeyTarget dialog(kDialogTitle);
    Confirming(dialog);
    KeyTarget lookalike(GetParam());
    editor.Timer2_Timer();
    ExpectState(false, false);
    EXPECT_TRUE(lookalike.Visible());
    lookalike.DeliverPostedKeys();
    ExpectEnterPresses(lookalike, 0);
}

INSTANTIATE_TEST_SUITE_P(Titles, NearConfirmTitle,
                         ::testing::Values(L"是否替换方案\uFF1F", L"是否替换方案", L"是否替换方案? ", L"是否 替换方案?",
                                           L"是否替换方案??", L"鼠标 属性"));

// How long after the restore the dialog appears, and whether it is still
// confirmed then: after 15 s the search has ended, and a window of that title
// (the user's own, opened later) is left alone.
struct LateDialog {
    const char* name;
    ULONGLONG after;  // ms on the editor's clock
    bool confirmed;
};

class DialogTiming : public Automation, public testing::WithParamInterface<LateDialog> {};

TEST_P(DialogTiming, IsConfirmedOnlyWithinTheWait) {
    Restore();
    desktop.now += GetParam().after;
    PumpMessages(30);  // Timer1 ticks with no dialog there
    KeyTarget dialog(kDialogTitle);
    PumpUntil([&] { return !editor.TimerEnabled(ShuBiaoKong::kTimer1Id) && !editor.TimerEnabled(ShuBiaoKong::kTimer2Id); }, 1000);
    EXPECT_EQ(dialog.Visible(), !GetParam().confirmed);
    EXPECT_EQ(dialog.enterDowns.size(), GetParam().confirmed ? 2u : 0u);
    ExpectState(false, false);
}

INSTANTIATE_TEST_SUITE_P(Restore, DialogTiming,
                         testing::Values(LateDialog{"AtOnce", 0, true}, LateDialog{"JustInTime", 14999, true},
                                         LateDialog{"AtFifteenSeconds", 15000, false},
                                         LateDialog{"AnHourLater", 3600000, false}),
                         [](const testing::TestParamInfo<LateDialog>& info) { return std::string(info.param.name); });

// The real timers, driven by the message loop.
TEST_F(Automation, TimersConfirmTheDialogFromTheMessageLoop) {
    Restore();
    PumpMessages(300);
    ExpectState(true, false);  // polled for 300 ms and found nothing

    auto confirm = std::make_unique<KeyTarget>(kConfirmTitle);
    KeyTarget dialog(kDialogTitle);
    ASSERT_TRUE(PumpUntil([&] { return !editor.TimerEnabled(ShuBiaoKong::kTimer1Id); }, 3000));
    EXPECT_TRUE(editor.TimerEnabled(ShuBiaoKong::kTimer2Id));
    EXPECT_FALSE(dialog.Visible());

    ASSERT_TRUE(PumpUntil([&] { return confirm->enterDowns.size() >= 4; }, 3000));
    ExpectState(false, true);
    EXPECT_FALSE(confirm->Visible());
    EXPECT_EQ(confirm->enterDowns.size() % 2, 0u) << "two presses per tick";
    EXPECT_EQ(dialog.enterDowns.size(), 2u);

    confirm.reset();
    ASSERT_TRUE(PumpUntil([&] { return !editor.TimerEnabled(ShuBiaoKong::kTimer2Id); }, 3000));
    ExpectState(false, false);
    PumpMessages(250);
    EXPECT_EQ(dialog.enterDowns.size(), 2u) << "nothing more once idle";
}

}  // namespace
}  // namespace shubiao
