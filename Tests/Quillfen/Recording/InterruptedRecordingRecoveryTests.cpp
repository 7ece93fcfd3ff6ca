#include "Recording/InterruptedRecordingRecovery.hpp"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

namespace Quillfen {
namespace {

namespace fs = std::filesystem;
using Outcome = UmberlinPlatform::MovieRecoveryResult::Outcome;

TEST(InterruptedRecordingRecovery, LooksAtEachOwnMovieOnceAndSaysWhatBecameOfIt) {
    QTemporaryDir workspace;
    const fs::path folder = fs::path(workspace.path().toStdString()) / "Takes";
    fs::create_directories(folder / "Umberlin folder.mov");
    const std::map<std::string, UmberlinPlatform::MovieRecoveryResult> results = {
        {"Umberlin 2026-03-03 09.05.07.mov", {Outcome::recovered, 72.4, {}}},
        {"Umberlin 2026-03-03 09.05.07-2.mov", {Outcome::unrecoverable, 0, "no space left on device"}},
        {"Umberlin 2026-03-03 10.00.00.mov", {Outcome::inUse, 0, {}}},
        {"Umberlin 2026-03-03 11.00.00.mov", {Outcome::notInterrupted, 0, {}}},
        // Not this system's movies: another program's, and the writer's own temporary file.
        {"Holiday.mov", {Outcome::recovered, 1, {}}},
        {".Umberlin 2026-03-03 09.05.07.mov.finishing", {Outcome::recovered, 1, {}}},
    };
    for (const auto& [name, result] : results) std::ofstream(folder / name) << "movie";
    fs::create_symlink(folder / "Holiday.mov", folder / "Umberlin 2026-03-03 12.00.00.mov");

    std::vector<std::string> looked;
    const auto found = recoverInterruptedRecordings(
        {folder, folder / "." / "", folder / "missing"}, [&](const fs::path& movie) {
            looked.push_back(movie.filename().string());
            return results.at(movie.filename().string());
        });

    EXPECT_EQ(looked, (std::vector<std::string>{"Umberlin 2026-03-03 09.05.07-2.mov", "Umberlin 2026-03-03 09.05.07.mov",
                                                "Umberlin 2026-03-03 10.00.00.mov",
                                                "Umberlin 2026-03-03 11.00.00.mov"}));
    ASSERT_EQ(found.size(), 2u);
    const std::string unrecovered =
        "An interrupted recording could not be recovered: Umberlin 2026-03-03 09.05.07-2.mov (no space left on "
        "device). It was left as it was.";
    const std::string recovered = "Recovered an interrupted recording: Umberlin 2026-03-03 09.05.07.mov (1 min 12 s).";
    EXPECT_EQ(found[0].sentence, unrecovered);
    EXPECT_FALSE(found[0].recovered);
    EXPECT_EQ(found[1].sentence, recovered);

    const auto summary = summarizeRecovery(found);
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->sentence, unrecovered + " " + recovered);
    EXPECT_EQ(summary->lastRecovered, folder / "Umberlin 2026-03-03 09.05.07.mov");
    EXPECT_FALSE(summarizeRecovery({}));
}

}  // namespace
}  // namespace Quillfen
