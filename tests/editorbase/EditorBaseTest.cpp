#include "AEffGUIEditor.h"
#include "AudioEffectX.h"
#include "FakeClock.h"
#include "RecordingHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using test_support::recordingHost;
using test_support::recordingHostCallback;

// The host answers every query alike, so an answer the editor passes on can be told apart.
void answerEverything(VstIntPtr answer)
{
    recordingHost().versionAnswer = answer;
    recordingHost().otherAnswer = answer;
}

class TestEffect : public AudioEffectX {
public:
    explicit TestEffect(audioMasterCallback host) : AudioEffectX(host, 1, 5) {}
    void setParameter(VstInt32 index, float value) override
    {
        if (index >= 0 && index < 5)
            values[index] = value;
    }
    float getParameter(VstInt32 index) override { return index >= 0 && index < 5 ? values[index] : 0.0f; }
    float values[5] = {};
};

class FrameDouble : public EditorFrame {
public:
    void idle() override { ++idleCount; }
    VstInt32 onKeyDown(VstKeyCode& key) override
    {
        lastKey = key.character;
        return keyAnswer;
    }
    VstInt32 onKeyUp(VstKeyCode& key) override
    {
        lastKey = key.character;
        return keyAnswer;
    }
    bool onWheelAtMousePosition(void* window, float distance) override
    {
        wheelWindow = window;
        wheelDistance = distance;
        return wheelAnswer;
    }
    int idleCount = 0;
    VstInt32 keyAnswer = 1;
    VstInt32 lastKey = 0;
    bool wheelAnswer = true;
    void* wheelWindow = nullptr;
    float wheelDistance = 0.0f;
};

// An editor shaped like the plug-in's: sets its rectangle, opens a frame, counts its own idle.
class TestEditor : public AEffGUIEditor {
public:
    explicit TestEditor(AudioEffect* effect) : AEffGUIEditor(effect)
    {
        editorRect.top = 0;
        editorRect.left = 0;
        editorRect.bottom = 278;
        editorRect.right = 923;
    }
    bool open(void* window) override
    {
        AEffGUIEditor::open(window);
        frame = &frameDouble;
        return true;
    }
    void close() override
    {
        frame = nullptr;
        AEffGUIEditor::close();
    }
    void idle() override
    {
        ++ownIdleCount;
        AEffGUIEditor::idle();
    }
    FrameDouble frameDouble;
    int ownIdleCount = 0;
};

class EditorBase : public ::testing::Test {
protected:
    void SetUp() override
    {
        recordingHost().reset();
        answerEverything(1);
    }
    void TearDown() override { recordingHost().onCall = nullptr; }

public:
    FakeClock clock{1000};
    TestEffect* effect = new TestEffect(recordingHostCallback);
    TestEditor* editor = new TestEditor(effect);
    int window = 0;

    ~EditorBase() override { delete effect; } // deletes the editor
};

TEST_F(EditorBase, AttachesToTheEffectAndAnswersItsRectangle)
{
    EXPECT_EQ(effect->getEditor(), editor);
    EXPECT_NE(effect->getAeffect()->flags & effFlagsHasEditor, 0);
    EXPECT_EQ(editor->getEffect(), effect);

    ERect* rect = nullptr;
    EXPECT_EQ(effect->dispatcher(effEditGetRect, 0, 0, &rect, 0.0f), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 278);
    EXPECT_EQ(rect->right, 923);
    EXPECT_FALSE(editor->getRect(nullptr));
}

TEST_F(EditorBase, EditorDeletedFirstDetachesItself)
{
    delete editor;
    editor = nullptr;
    EXPECT_EQ(effect->getEditor(), nullptr);
    EXPECT_EQ(effect->getAeffect()->flags & effFlagsHasEditor, 0);
    EXPECT_EQ(effect->dispatcher(effEditIdle, 0, 0, nullptr, 0.0f), 0);
}

TEST_F(EditorBase, BaseOpenAnswersFalseAndTracksTheWindow)
{
    AEffGUIEditor plain(nullptr);
    EXPECT_FALSE(plain.isOpen());
    EXPECT_FALSE(plain.open(&window));
    EXPECT_TRUE(plain.isOpen());
    plain.close();
    EXPECT_FALSE(plain.isOpen());
}

TEST_F(EditorBase, KeysAndWheelWithoutFrameAnswerFalse)
{
    VstKeyCode key = {'a', 0, 0};
    EXPECT_FALSE(editor->onKeyDown(key));
    EXPECT_FALSE(editor->onKeyUp(key));
    EXPECT_FALSE(editor->onWheel(1.0f));
    EXPECT_EQ(effect->dispatcher(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
    editor->idle(); // no frame: nothing to do, no crash
    EXPECT_EQ(editor->frameDouble.idleCount, 0);
}

TEST_F(EditorBase, KeysCountAsHandledOnlyWhenTheFrameAnswersOne)
{
    ASSERT_EQ(effect->dispatcher(effEditOpen, 0, 0, &window, 0.0f), 1);
    VstKeyCode key = {'x', 0, 0};
    editor->frameDouble.keyAnswer = 1;
    EXPECT_TRUE(editor->onKeyDown(key));
    EXPECT_TRUE(editor->onKeyUp(key));
    EXPECT_EQ(editor->frameDouble.lastKey, 'x');
    for (VstInt32 answer : {-1, 0, 2}) {
        editor->frameDouble.keyAnswer = answer;
        EXPECT_FALSE(editor->onKeyDown(key)) << answer;
        EXPECT_FALSE(editor->onKeyUp(key)) << answer;
    }
    editor->frameDouble.keyAnswer = 1;
    EXPECT_EQ(effect->dispatcher(effEditKeyDown, 'q', 0, nullptr, 0.0f), 1);
    EXPECT_EQ(editor->frameDouble.lastKey, 'q');
}

TEST_F(EditorBase, WheelGoesToTheFrameOnTheParentWindow)
{
    editor->open(&window);
    editor->frameDouble.wheelAnswer = true;
    EXPECT_TRUE(editor->onWheel(-1.0f));
    EXPECT_EQ(editor->frameDouble.wheelWindow, &window);
    EXPECT_EQ(editor->frameDouble.wheelDistance, -1.0f);
    editor->frameDouble.wheelAnswer = false;
    EXPECT_FALSE(editor->onWheel(1.0f));
}

TEST_F(EditorBase, KnobModeIsSharedByEveryEditor)
{
    TestEditor other(nullptr);
    EXPECT_TRUE(other.setKnobMode(1));
    EXPECT_EQ(globalKnobMode, 1);
    EXPECT_EQ(effect->dispatcher(effSetEditKnobMode, 0, 2, nullptr, 0.0f), 1);
    EXPECT_EQ(globalKnobMode, 2);
    globalKnobMode = 0;
}

TEST_F(EditorBase, EditBracketsReachTheHost)
{
    EXPECT_TRUE(editor->beginEdit(3));
    EXPECT_TRUE(editor->endEdit(3));
    ASSERT_EQ(recordingHost().calls.size(), 2u);
    EXPECT_EQ(recordingHost().calls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(recordingHost().calls[0].index, 3);
    EXPECT_EQ(recordingHost().calls[1].opcode, audioMasterEndEdit);
    EXPECT_EQ(recordingHost().calls[1].index, 3);

    TestEditor detached(nullptr);
    EXPECT_FALSE(detached.beginEdit(1));
    EXPECT_FALSE(detached.endEdit(1));
}

// The pacing of the tracking idle, on a clock that only moves when slept on or advanced.
class TrackingIdle : public EditorBase {
protected:
    void SetUp() override
    {
        EditorBase::SetUp();
        editor->open(&window);
    }
    void run()
    {
        recordingHost().calls.clear();
        editor->ownIdleCount = 0;
        editor->frameDouble.idleCount = 0;
        clock.sleeps.clear();
        editor->idleDuringTracking();
    }
    bool ran() const { return editor->ownIdleCount == 1 && recordingHost().count(audioMasterIdle) == 1; }
    bool skipped() const { return editor->ownIdleCount == 0 && recordingHost().count(audioMasterIdle) == 0; }
};

TEST_F(TrackingIdle, FirstCallRunsAndACallTenMillisecondsLaterSleepsAndReturns)
{
    run();
    EXPECT_TRUE(ran());
    EXPECT_TRUE(clock.sleeps.empty());
    EXPECT_EQ(editor->frameDouble.idleCount, 1);

    clock.advance(10);
    run();
    EXPECT_TRUE(skipped());
    ASSERT_EQ(clock.sleeps.size(), 1u);
    EXPECT_EQ(clock.sleeps[0], 4u);
}

TEST_F(TrackingIdle, RunsAgainSixtyMillisecondsLaterButNotForty)
{
    run();
    clock.advance(40);
    run();
    EXPECT_TRUE(skipped());
    EXPECT_EQ(clock.sleeps.size(), 1u);

    // 40 + 4 slept; 16 more makes 60 since the run.
    clock.advance(16);
    run();
    EXPECT_TRUE(ran());
    EXPECT_EQ(clock.sleeps.size(), 1u); // still early: the 4 ms sleep comes first

    // The schedule restarts from the run's time (60 + 4): 100 ms later runs without sleeping.
    clock.advance(100);
    run();
    EXPECT_TRUE(ran());
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST_F(TrackingIdle, BoundaryFiftyMillisecondsBeforeTheNextRun)
{
    run();             // next run scheduled at start + 100
    clock.advance(46); // after the sleep: start + 50, exactly 50 before
    run();
    EXPECT_TRUE(ran());

    run(); // next at (start + 50) + 100; now start + 50: after sleep 96 early
    EXPECT_TRUE(skipped());
    clock.advance(41); // 41 + 4 (previous sleep) = 45 since the run; after sleeping 49 → 51 early
    run();
    EXPECT_TRUE(skipped());
}

TEST_F(TrackingIdle, SurvivesTheTickCounterWrapping)
{
    clock.now = 0xFFFFFFF0u;
    run(); // next run at 0x54 after the wrap
    EXPECT_TRUE(ran());
    clock.advance(20); // now 0x04, just past the wrap
    run();
    EXPECT_TRUE(skipped());
    clock.advance(200);
    run();
    EXPECT_TRUE(ran());
    EXPECT_TRUE(clock.sleeps.empty());

    // Weeks without tracking put the last schedule more than half the counter's range away;
    // it reads as "in the future" but no longer holds.
    clock.advance(0x90000000u);
    run();
    EXPECT_TRUE(ran());
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST_F(TrackingIdle, HostIdleReenteringTheEditorSkipsTheFrameIdle)
{
    static TrackingIdle* self = nullptr;
    self = this;
    recordingHost().onCall = [](AEffect*, VstInt32 opcode, VstInt32) {
        if (opcode != audioMasterIdle)
            return;
        EXPECT_TRUE(self->editor->isIdleInProgress());
        self->effect->dispatcher(effEditIdle, 0, 0, nullptr, 0.0f);
    };
    run();
    // The editor's own idle ran twice (once from the tracking idle, once from the host's
    // effEditIdle), the frame's idle only once.
    EXPECT_EQ(editor->ownIdleCount, 2);
    EXPECT_EQ(editor->frameDouble.idleCount, 1);
    EXPECT_FALSE(editor->isIdleInProgress());
    editor->idle();
    EXPECT_EQ(editor->frameDouble.idleCount, 2);
}

TEST_F(TrackingIdle, WithoutAHostTheEditorStillIdles)
{
    TestEffect lonely(nullptr);
    TestEditor* own = new TestEditor(&lonely);
    own->open(&window);
    own->idleDuringTracking();
    EXPECT_EQ(own->ownIdleCount, 1);
    EXPECT_EQ(own->frameDouble.idleCount, 1);
}

// Host services: what each sends, and that none is attempted without a host callback.
TEST(HostServices, SendTheirArguments)
{
    recordingHost().reset();
    answerEverything(7);
    TestEffect effect(recordingHostCallback);
    effect.setParameterAutomated(2, 0.25f);
    EXPECT_EQ(effect.values[2], 0.25f);
    effect.masterIdle();
    EXPECT_TRUE(effect.updateDisplay());
    char canDo[] = "sizeWindow";
    EXPECT_EQ(effect.canHostDo(canDo), 7);
    EXPECT_TRUE(effect.sizeWindow(923, 278));
    effect.getTimeInfo(kVstTempoValid);
    answerEverything(1);

    ASSERT_EQ(recordingHost().calls.size(), 6u);
    EXPECT_EQ(recordingHost().calls[0].opcode, audioMasterAutomate);
    EXPECT_EQ(recordingHost().calls[0].index, 2);
    EXPECT_EQ(recordingHost().calls[0].opt, 0.25f);
    EXPECT_EQ(recordingHost().calls[1].opcode, audioMasterIdle);
    EXPECT_EQ(recordingHost().calls[2].opcode, audioMasterUpdateDisplay);
    EXPECT_EQ(recordingHost().calls[3].opcode, audioMasterCanDo);
    EXPECT_EQ(recordingHost().calls[4].opcode, audioMasterSizeWindow);
    EXPECT_EQ(recordingHost().calls[4].index, 923);
    EXPECT_EQ(recordingHost().calls[4].value, 278);
    EXPECT_EQ(recordingHost().calls[5].opcode, audioMasterGetTime);
    EXPECT_EQ(recordingHost().calls[5].value, kVstTempoValid);
    EXPECT_EQ(effect.canHostDo(nullptr), 0);
}

TEST(HostServices, WithoutACallbackAnswerZeroAndStillApplyValues)
{
    TestEffect effect(nullptr);
    effect.setParameterAutomated(1, 0.5f);
    EXPECT_EQ(effect.values[1], 0.5f);
    EXPECT_EQ(effect.getMasterVersion(), 0);
    effect.masterIdle();
    EXPECT_FALSE(effect.beginEdit(1));
    EXPECT_FALSE(effect.endEdit(1));
    EXPECT_FALSE(effect.updateDisplay());
    EXPECT_EQ(effect.getTimeInfo(0), nullptr);
    char canDo[] = "sizeWindow";
    EXPECT_EQ(effect.canHostDo(canDo), 0);
    EXPECT_FALSE(effect.sizeWindow(10, 10));
}

} // namespace
