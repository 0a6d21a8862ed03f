#include "StateFile.h"
#include "PresetTestSupport.h"

namespace {

using StateFileTest = PresetTest;

TEST_F(StateFileTest, SavedStateLoadsIntoAnotherInstance)
{
    effect->setParameter(2, 0.9f);
    char name[] = "Rendered";
    effect->setProgramName(name);
    std::string error;
    ASSERT_TRUE(state::saveState(effect->getAeffect(), file("state.bin"), error)) << error;
    EXPECT_EQ(TempTree::readFile(tree / "state.bin"), chunk());

    std::unique_ptr<CTarvelleVST> other(static_cast<CTarvelleVST*>(createEffectInstance(recordingHostCallback)));
    ASSERT_TRUE(state::loadState(other->getAeffect(), file("state.bin"), error)) << error;
    EXPECT_EQ(other->getParameter(2), effect->getParameter(2));
    char loaded[kPresetNameSize] = {};
    other->getCurrentPresetName(loaded);
    EXPECT_STREQ(loaded, "Rendered");
}

TEST_F(StateFileTest, PresetFileIsAcceptedAsState)
{
    TempTree::writeFile(tree / "Loud.prg", validRecord("Loud", 0.95f));
    std::string error;
    ASSERT_TRUE(state::loadState(effect->getAeffect(), file("Loud.prg"), error)) << error;
    EXPECT_EQ(programName(), "Loud");
}

TEST_F(StateFileTest, RejectedOrUnreadableFilesAreErrors)
{
    std::vector<unsigned char> longer = validRecord("Longer");
    longer.push_back(0);
    TempTree::writeFile(tree / "long.prg", longer);
    TempTree::writeFile(tree / "empty.bin", {});
    std::string error;
    EXPECT_FALSE(state::loadState(effect->getAeffect(), file("long.prg"), error));
    EXPECT_NE(error.find("rejected"), std::string::npos) << error;
    EXPECT_EQ(presenter.captions.size(), 1u);
    error.clear();
    EXPECT_FALSE(state::loadState(effect->getAeffect(), file("empty.bin"), error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(state::loadState(effect->getAeffect(), file("missing.bin"), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(state::saveState(effect->getAeffect(), file("missing/dir/state.bin"), error));
    EXPECT_FALSE(state::loadState(nullptr, file("long.prg"), error));
    EXPECT_FALSE(state::saveState(nullptr, file("x.bin"), error));
}

TEST_F(StateFileTest, PluginWithoutChunksIsRefused)
{
    AEffect plain = *effect->getAeffect();
    plain.flags &= ~effFlagsProgramChunks;
    TempTree::writeFile(tree / "good.prg", validRecord("Good"));
    std::string error;
    EXPECT_FALSE(state::loadState(&plain, file("good.prg"), error));
    EXPECT_NE(error.find("chunks"), std::string::npos);
}

} // namespace
