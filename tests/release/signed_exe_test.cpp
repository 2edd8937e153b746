// The signed exe still runs: the signature is appended to the file and recorded in the PE
// header, which the loader reads. It opens its window and starts the game.
//
//   signed_exe_test.exe SIGNED_EXE [gtest flags]
#include "driver.h"
#include "pe_image.h"

#include "control_table.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace karvolt::e2e {
namespace {

std::wstring g_signedExe;

TEST(SignedExe, OpensItsWindowAndStartsTheGame)
{
    ModFolder mod(true, false);
    CopyFileOrFail(g_signedExe, mod.launcher);
    const PeImage image(ReadFileBytes(mod.launcher));
    ASSERT_TRUE(image.Valid());
    ASSERT_GT(image.Directory(IMAGE_DIRECTORY_ENTRY_SECURITY).Size, 0u) << "the exe under test is not signed";

    Launcher launcher(mod);
    ASSERT_NE(launcher.Window(), nullptr);
    launcher.Click(Command1);

    EXPECT_EQ(launcher.WaitForExit(), 0u);
    const auto records = WaitForStubRecords(mod.stubRecord);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].program, mod.folder + L"\\distr\\eduke32.exe");
}

} // namespace
} // namespace karvolt::e2e

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: signed_exe_test SIGNED_EXE [gtest flags]\n");
        return 2;
    }
    karvolt::e2e::g_signedExe = karvolt::e2e::WindowsPath(argv[1]);
    return RUN_ALL_TESTS();
}
