// SPDX-License-Identifier: MIT
#include "util/files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "util/fonts.h"

namespace kavlo::util {
namespace fs = std::filesystem;

namespace {

// A fresh scratch folder per test, under the build tree's test output folder.
std::string scratch(const std::string& name) {
    const std::string dir = std::string(KAVLO_TEST_OUTPUT) + "/util/" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void put(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string slurp(const std::string& path) {
    std::string s;
    EXPECT_TRUE(readFile(path, s)) << path;
    return s;
}

}  // namespace

TEST(PathParts, splitOnTheLastSeparatorOnly) {
    EXPECT_EQ(fileNameOf("/pics/"), "");
    EXPECT_EQ(stripExtension("/my.pics/photo"), "/my");
    EXPECT_EQ(extensionOf("X.JPG"), "jpg");
    EXPECT_TRUE(isJpegFile("jpg"));
    EXPECT_FALSE(isJpegFile("a.jpeg"));
    EXPECT_FALSE(isTiffFile("a.tiff"));
    EXPECT_EQ(stripTrailingSeparator("/a//"), "/a/");
    EXPECT_EQ(folderNameOf("/Photos/Rome/"), "Rome");
    EXPECT_EQ(folderNameOf("Rome"), "");
    EXPECT_EQ(parentFolderOf("Photos"), "");
    EXPECT_EQ(rebasePath("/old/place/IMG_1.jpg", "/new"), "/new/IMG_1.jpg");
}

TEST(PathParts, plainFolderNamesStayInsideTheirFolder) {
    EXPECT_FALSE(isPlainFolderName("/abs"));
    EXPECT_FALSE(isPlainFolderName("a/b"));
    EXPECT_FALSE(isPlainFolderName("."));
    EXPECT_FALSE(isPlainFolderName("tab\there"));
    EXPECT_TRUE(isPlainFolderName("..."));
    EXPECT_TRUE(isPlainFolderName(".hidden"));
}

TEST(ProgramFolder, isTheFolderOfThisExecutableAndVersionIsCompiledIn) {
    const std::string folder = programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(folderExists(folder));
    EXPECT_TRUE(fileExists(folder + "util_tests"));
    EXPECT_FALSE(versionString("ProductVersion").empty());
    EXPECT_EQ(versionString("FileDescription"), "");
    const std::string data = dataFolder();
    EXPECT_EQ(data.back(), '/');
    EXPECT_EQ(data.rfind(folder, 0), 0u);
}

TEST(Probes, tellFilesFromFoldersAndFindWritableFolders) {
    const std::string dir = scratch("probes");
    put(dir + "/a.jpg", "x");
    EXPECT_TRUE(fileExists(dir + "/a.jpg"));
    EXPECT_FALSE(fileExists(dir));
    EXPECT_FALSE(fileExists(""));
    EXPECT_FALSE(fileExists(dir + "/missing.jpg"));
    EXPECT_TRUE(folderExists(dir));
    EXPECT_FALSE(folderExists(dir + "/a.jpg"));

    EXPECT_TRUE(createFolder(dir + "/x/y/z"));
    EXPECT_TRUE(folderExists(dir + "/x/y/z"));
    EXPECT_TRUE(createFolder(dir + "/x/y/z"));
    EXPECT_FALSE(createFolder(dir + "/a.jpg/sub"));

    EXPECT_TRUE(isFolderWritable(dir));
    EXPECT_FALSE(isFolderWritable(dir + "/missing"));
    if (geteuid() != 0) {  // root may write anywhere
        const std::string ro = dir + "/readonly";
        fs::create_directory(ro);
        ::chmod(ro.c_str(), 0555);
        EXPECT_FALSE(isFolderWritable(ro));
        ::chmod(ro.c_str(), 0755);
    }
    // The probe leaves nothing behind.
    int entries = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, geteuid() != 0 ? 3 : 2);
}

TEST(ListFiles, sortsByBytesSkipsHiddenAndCountsOnlyEmptyRegularFiles) {
    const std::string dir = scratch("listing");
    put(dir + "/b.JPG", "1");
    put(dir + "/A.tif", "1");
    put(dir + "/a.jpg", "1");
    put(dir + "/c.jpg", "");
    put(dir + "/.d.jpg", "1");
    put(dir + "/e.jpeg", "1");
    put(dir + "/f.tiff", "1");
    put(dir + "/IMG_10.jpg", "1");
    put(dir + "/IMG_9.jpg", "1");
    fs::create_directory(dir + "/folder.jpg");
    int empty = -1;
    const FileList names = listImages(dir, true, &empty);
    EXPECT_EQ(names, (FileList{"A.tif", "IMG_10.jpg", "IMG_9.jpg", "a.jpg", "b.JPG"}));
    EXPECT_EQ(empty, 1);
    const FileList paths = listImages(dir, false);
    ASSERT_EQ(paths.size(), 5u);
    EXPECT_EQ(paths[0], dir + "/A.tif");

    EXPECT_EQ(listFiles(dir, "?.JPG", true), (FileList{"a.jpg", "b.JPG"}));
    EXPECT_EQ(listFiles(dir, "IMG_*0.jpg", true), (FileList{"IMG_10.jpg"}));
    EXPECT_EQ(listFiles(dir, "*", true).size(), 7u);

    empty = 7;
    EXPECT_TRUE(listImages(dir + "/missing", true, &empty).empty());
    EXPECT_EQ(empty, 0);
}

TEST(ListFiles, everyPhotoFormatIsListedInAnyLetterCaseAndAlbumFoldersLoseOnlyJpegAndTiff) {
    const std::string dir = scratch("photo_kinds");
    for (const char* name : {"a.HEIC", "b.heif", "c.Hif", "d.avif", "e.PNG", "f.webp", "g.jpg",
                             "h.tif", "i.gif", "j.heics", "webp", "k.png.txt"})
        put(dir + "/" + name, "1");
    put(dir + "/l.avif", "");
    int empty = -1;
    EXPECT_EQ(listImages(dir, true, &empty), (FileList{"a.HEIC", "b.heif", "c.Hif", "d.avif",
                                                       "e.PNG", "f.webp", "g.jpg", "h.tif"}));
    EXPECT_EQ(empty, 1);
    EXPECT_TRUE(isPhotoFile("/x/IMG_1.HEIC"));
    EXPECT_TRUE(isPhotoFile("shot.Png"));
    EXPECT_FALSE(isPhotoFile("/x.heic/readme"));
    EXPECT_FALSE(isPhotoFile("heic"));

    EXPECT_TRUE(deleteImages(dir));
    EXPECT_EQ(listImages(dir, true),
              (FileList{"a.HEIC", "b.heif", "c.Hif", "d.avif", "e.PNG", "f.webp"}));
}

TEST(ListFiles, questionMarkMatchesOneNonAsciiCharacter) {
    const std::string dir = scratch("listing_utf8");
    put(dir + "/\xC3\xA9.jpg", "1");
    EXPECT_EQ(listFiles(dir, "?.jpg", true), (FileList{"\xC3\xA9.jpg"}));
}

TEST(DeleteImages, removesOnlyImagesAndReportsWhetherThereWereAny) {
    const std::string dir = scratch("delete");
    EXPECT_FALSE(deleteImages(dir));
    put(dir + "/1.jpg", "1");
    put(dir + "/2.tif", "1");
    put(dir + "/keep.css", "1");
    EXPECT_TRUE(deleteImages(dir));
    EXPECT_FALSE(fileExists(dir + "/1.jpg"));
    EXPECT_FALSE(fileExists(dir + "/2.tif"));
    EXPECT_TRUE(fileExists(dir + "/keep.css"));
}

TEST(TextFiles, writeCrLfAtomicallyAndReadBackWithLf) {
    const std::string dir = scratch("text");
    const std::string path = dir + "/out.txt";
    ASSERT_TRUE(writeTextFile(path, "a\nb\n"));
    EXPECT_EQ(slurp(path), "a\r\nb\r\n");
    std::string text;
    ASSERT_TRUE(readTextFile(path, text));
    EXPECT_EQ(text, "a\nb\n");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(writeFileAtomic(path, std::string("\0\n\r", 3)));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(slurp(path), std::string("\0\n\r", 3));
    // No temporary file is left beside the target.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_FALSE(readFile(dir + "/missing", text));
    EXPECT_FALSE(readFile(dir, text));
}

TEST(TextFiles, failedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    const std::string dir = scratch("full");
    const std::string path = dir + "/albuminfo.xml";
    ASSERT_TRUE(writeTextFile(path, "old\n"));
    EXPECT_FALSE(writeTextFile(dir + "/missing/albuminfo.xml", "new\n"));
    fs::create_directory(dir + "/sub");
    EXPECT_FALSE(writeTextFile(dir + "/sub", "new\n"));  // rename over a folder fails
    // A file size limit makes write() fail part-way, as a full disk does.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = writeTextFile(path, std::string(10000, 'n'));
    const bool copied = copyFile(path, dir + "/copy.xml");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_TRUE(copied);  // the old file is small enough
    EXPECT_EQ(slurp(path), "old\r\n");
    // Only the old file, the folder and the good copy: no temporary file is left.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);
}

TEST(CopyFile, replacesTheDestinationAndFailsCleanly) {
    const std::string dir = scratch("copy");
    std::string big(300000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    put(dir + "/src.bin", big);
    put(dir + "/dst.bin", "old");
    ASSERT_TRUE(copyFile(dir + "/src.bin", dir + "/dst.bin"));
    EXPECT_EQ(slurp(dir + "/dst.bin"), big);
    EXPECT_FALSE(copyFile(dir + "/missing.bin", dir + "/dst2.bin"));
    EXPECT_FALSE(fileExists(dir + "/dst2.bin"));
    EXPECT_FALSE(copyFile(dir, dir + "/dst3.bin"));
    EXPECT_FALSE(copyFile(dir + "/src.bin", dir + "/nofolder/dst.bin"));
}

TEST(InstantiateTemplate, appliesKeysInAscendingOrderOnTextWithCrLf) {
    const std::string dir = scratch("template");
    put(dir + "/t.html", "%%A%%\r\nline2\n");
    ASSERT_TRUE(instantiateTemplate(dir + "/t.html", dir + "/o1.html",
                                    {{"%%A%%", "x%%B%%"}, {"%%B%%", "y"}}));
    EXPECT_EQ(slurp(dir + "/o1.html"), "xy\r\nline2\r\n");
    put(dir + "/t2.html", "%%C%%");
    ASSERT_TRUE(instantiateTemplate(dir + "/t2.html", dir + "/o2.html",
                                    {{"%%B%%", "y"}, {"%%C%%", "%%B%%"}}));
    EXPECT_EQ(slurp(dir + "/o2.html"), "%%B%%");
    EXPECT_FALSE(instantiateTemplate(dir + "/missing.html", dir + "/o3.html", {}));
    EXPECT_FALSE(fileExists(dir + "/o3.html"));
    EXPECT_FALSE(instantiateTemplate(dir + "/t.html", dir + "/none/o4.html", {}));
}

TEST(Fonts, listTrueTypeFilesInByteOrderAndMatchADefault) {
    const std::vector<std::string> fonts = installedFontFiles();
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        EXPECT_EQ(extensionOf(fonts[i]), "ttf");
        EXPECT_EQ(fonts[i][0], '/');
        if (i > 0) {
            EXPECT_LT(fonts[i - 1], fonts[i]);
        }
    }
    const std::string def = defaultFontFile();
    if (!fonts.empty()) {
        EXPECT_TRUE(fileExists(def)) << def;
    }
    EXPECT_EQ(defaultFontFile(), def);
    EXPECT_EQ(installedFontFiles(), fonts);
}

}  // namespace kavlo::util
