// A host that closes the window (effEditClose), or the whole effect (effClose), from its idle
// while the editor runs a nested loop: a knob drag, an arrow held down, a pop-up menu, the
// Save-As prompt and a message box. Nothing freed may be touched (run under ASan), the close
// still happens, and a user's preset is still saved.
#include "EditorTestSupport.h"

#include "CDrawContext.h"
#include "CFrame.h"
#include "controls/CControl.h"

#include <functional>

namespace editor_test {
namespace {

// Dialogs whose modal loop runs the host's timer: the action runs inside the dialog.
class ClosingDialogs : public ScriptedDialogs {
public:
    bool askQuestion(const char* caption, const char* text) override
    {
        runInside();
        return ScriptedDialogs::askQuestion(caption, text);
    }
    bool askName(void* ownerWindow, char* typed, size_t size) override
    {
        runInside();
        return ScriptedDialogs::askName(ownerWindow, typed, size);
    }
    std::function<void()> inside;

private:
    void runInside()
    {
        if (inside) {
            std::function<void()> action = std::move(inside);
            inside = nullptr;
            action();
        }
    }
};

enum class Closing { Window, Effect };

class NestedCloseTest : public EditorTest, public ::testing::WithParamInterface<Closing> {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        e = effect->getAeffect();
        // The host runs a scripted action at its idle and counts what it hears after a close.
        host().onCall = [this](AEffect*, VstInt32 opcode, VstInt32) {
            if (opcode == audioMasterVersion)
                return;
            if (effectClosed)
                callsAfterClose++;
            if (opcode == audioMasterIdle && onIdle) {
                // Once: the host closes, and its later idles do nothing more.
                std::function<void()> action = std::move(onIdle);
                onIdle = nullptr;
                action();
            }
        };
        editor::setDialogPresenter(&closingDialogs);
    }
    void TearDown() override
    {
        if (effectClosed)
            effect = nullptr; // deleted by the plug-in once its loops unwound
        EditorTest::TearDown();
        host().onCall = nullptr;
    }

    // What the host does: close the window, or close the effect.
    void hostCloses()
    {
        if (GetParam() == Closing::Window) {
            e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.f);
            // A host may even open the window again at once.
            int parent = 0;
            e->dispatcher(e, effEditOpen, 0, 0, &parent, 0.f);
            e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.f);
        } else {
            effectClosed = true;
            e->dispatcher(e, effClose, 0, 0, nullptr, 0.f);
            // The host hears nothing of the plug-in from here on, and its calls do nothing.
            e->dispatcher(e, effEditIdle, 0, 0, nullptr, 0.f);
        }
    }

    // A press at where held for `passes` button queries (moving upward), then released.
    void drag(CPoint where, int passes, int* queries = nullptr)
    {
        std::vector<InputStep> steps;
        ScriptedInput::addMove(steps, where, CPoint(where.h, where.v - 40), passes, MouseLeft);
        steps.push_back(InputStep{CPoint(where.h, where.v - 40), 0});
        ScriptedInput input(steps);
        InputState::current().position = where;
        // The platform layer's entry for a button-down: the frame may be gone afterwards.
        editor->getToolkitFrame()->onMouseDown(where, MouseLeft);
        if (queries != nullptr)
            *queries = input.queries();
        InputState::current().buttons = 0;
    }

    // The window is closed and, when the host closed the effect, so is everything else.
    void expectClosed()
    {
        if (GetParam() == Closing::Effect) {
            // The record went with the effect (the leak check of the sanitizer build sees that
            // it was deleted); the host heard nothing more after its close.
            EXPECT_EQ(callsAfterClose, 0);
            return;
        }
        EXPECT_FALSE(editor->isOpen());
        EXPECT_EQ(editor->getToolkitFrame(), nullptr);
        // Still a working editor: it opens, follows the effect and closes.
        if (context != nullptr)
            context->release();
        context = nullptr;
        openEditor();
        effect->setParameter(kParamInputThres, 0.3f);
        editor->idle();
        EXPECT_FLOAT_EQ(editor->getControl(kParamInputThres)->getValue(), effect->getParameter(kParamInputThres));
        closeEditor();
    }

    std::function<void()> onIdle;
    int callsAfterClose = 0;
    bool effectClosed = false;
    ClosingDialogs closingDialogs;
    AEffect* e = nullptr;
};

TEST_P(NestedCloseTest, DuringAKnobDrag)
{
    openEditor();
    onIdle = [this] { hostCloses(); };
    int queries = 0;
    drag(CPoint(156, 131), 400, &queries);
    // The loop left soon after the close instead of following the pointer to its release.
    EXPECT_LT(queries, 200);
    EXPECT_EQ(host().count(audioMasterBeginEdit), 1);
    if (GetParam() == Closing::Window) {
        EXPECT_EQ(host().count(audioMasterEndEdit), 1); // the gesture is still closed for the host
    }
    expectClosed();
}

TEST_P(NestedCloseTest, WhileAnArrowIsHeld)
{
    openEditor();
    onIdle = [this] { hostCloses(); };
    int queries = 0;
    drag(CPoint(558, 10), 400, &queries);
    EXPECT_LT(queries, 200);
    expectClosed();
}

TEST_P(NestedCloseTest, DuringAPopupMenu)
{
    openEditor();
    // The host's timer fires inside the menu's modal loop; the user then chooses an entry.
    ScriptedMenuPresenter::instance().chooser = [this](const PopupMenu& menu, const PopupPlacement&) {
        hostCloses();
        return ScriptedMenuPresenter::findId(menu, {"About Orvanne..."});
    };
    drag(CPoint(580, 10), 1);
    // A choice made while the window closed goes nowhere.
    for (const std::string& line : closingDialogs.log)
        EXPECT_EQ(line.find("information"), std::string::npos) << line;
    expectClosed();
}

TEST_P(NestedCloseTest, DuringTheSaveAsPromptTheTypedPresetIsStillSaved)
{
    openEditor();
    ScriptedMenuPresenter::instance().chooser = [](const PopupMenu& menu, const PopupPlacement&) {
        return ScriptedMenuPresenter::findId(menu, {"Save New Preset As..."});
    };
    closingDialogs.inside = [this] { hostCloses(); };
    closingDialogs.typedNames.push_back("Kept Anyway");
    drag(CPoint(330, 10), 1);
    EXPECT_TRUE(fileExists(userFolder() + "Kept Anyway.prg"));
    expectClosed();
}

TEST_P(NestedCloseTest, DuringTheWarningQuestion)
{
    effect->setCurrentPresetName("Bright");
    openEditor();
    ScriptedMenuPresenter::instance().chooser = [](const PopupMenu& menu, const PopupPlacement&) {
        return ScriptedMenuPresenter::findId(menu, {"Save Current Preset"});
    };
    closingDialogs.inside = [this] { hostCloses(); };
    closingDialogs.questionAnswers.push_back(true);
    drag(CPoint(330, 10), 1);
    EXPECT_TRUE(fileExists(userFolder() + "Bright.prg"));
    expectClosed();
}

INSTANTIATE_TEST_SUITE_P(Host, NestedCloseTest, ::testing::Values(Closing::Window, Closing::Effect),
                         [](const ::testing::TestParamInfo<Closing>& info) {
                             return info.param == Closing::Window ? "ClosesTheWindow" : "ClosesTheEffect";
                         });

} // namespace
} // namespace editor_test
