#include "platform/file_view.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace torvane {
namespace {

using test::TempDir;

std::string Pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>('A' + i * 7 % 26);
    return s;
}

std::string Text(std::span<const uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(FileView, HoldsTheFileAsReadWholeFileReadsItAndRefusesAsItDoes) {
    TempDir dir;
    const std::string content = Pattern(70000);
    const std::string p = dir.Write("a.hex", content);
    std::optional<FileView> view = FileView::Open(p, content.size());
    ASSERT_TRUE(view);
    EXPECT_EQ(content, Text(view->bytes()));
    FileView moved = std::move(*view);
    EXPECT_EQ(content, Text(moved.bytes()));
    EXPECT_FALSE(moved.CutShort());

    EXPECT_EQ(0u, FileView::Open(dir.Write("empty.hex", ""), 10).value().bytes().size());
    ReadFailure why = ReadFailure::Unreadable;
    EXPECT_FALSE(FileView::Open(p, content.size() - 1, &why));
    EXPECT_EQ(ReadFailure::TooLarge, why);
    why = ReadFailure::TooLarge;
    EXPECT_FALSE(FileView::Open(dir.File("none"), 100, &why));
    EXPECT_EQ(ReadFailure::Unreadable, why);
    why = ReadFailure::TooLarge;
    EXPECT_FALSE(FileView::Open(dir.path(), 100, &why));
    EXPECT_EQ(ReadFailure::Unreadable, why);
#ifndef _WIN32
    ASSERT_EQ(0, ::mkfifo(dir.File("pipe").c_str(), 0644));
    EXPECT_FALSE(FileView::Open(dir.File("pipe"), 100));  // and does not wait for a writer
#endif
}

TEST(FileView, BytesStayReadableAfterTheirPagesAreReleased) {
    TempDir dir;
    const std::string content = Pattern(3 * 65536 + 123);
    std::optional<FileView> view = FileView::Open(dir.Write("a.srec", content), content.size());
    ASSERT_TRUE(view);
    view->Release(65536 + 5);
    view->Release(content.size() + 100);  // past the end: up to it
    EXPECT_EQ(content, Text(view->bytes()));
    view->Release(4096);  // a second pass from the start
    view->Release(2 * 65536);
    EXPECT_EQ(content, Text(view->bytes()));
    EXPECT_FALSE(view->CutShort());
}

#ifndef _WIN32
// Another program cuts the file short while it is viewed: the pages past its
// new end are gone, which would end the program with SIGBUS when touched.
TEST(FileView, AFileCutShortWhileViewedReadsZerosAndIsTold) {
    TempDir dir;
    const std::string content = Pattern(16 * 4096);
    const std::string p = dir.Write("a.elf", content);
    std::optional<FileView> view = FileView::Open(p, content.size());
    ASSERT_TRUE(view);
    ASSERT_TRUE(view->mapped());
    ASSERT_EQ(0, ::truncate(p.c_str(), 100));
    EXPECT_EQ(0, view->bytes()[8 * 4096 + 5]);
    EXPECT_EQ(0, view->bytes()[15 * 4096]);
    EXPECT_EQ(content.substr(0, 100), Text(view->bytes().first(100)));
    EXPECT_TRUE(view->CutShort());

    // Cut inside its last page: nothing is gone, but the tail reads as zeros.
    const std::string q = dir.Write("b.elf", content.substr(0, 5000));
    std::optional<FileView> other = FileView::Open(q, 5000);
    ASSERT_TRUE(other);
    EXPECT_FALSE(other->CutShort());
    ASSERT_EQ(0, ::truncate(q.c_str(), 4500));
    EXPECT_EQ(0, other->bytes()[4600]);
    EXPECT_TRUE(other->CutShort());
}

// How a bus error ends the program: by the signal, or under AddressSanitizer
// (whose handler comes before ours and is chained to) by its abort.
bool EndedByBusError(int status) {
#if defined(__SANITIZE_ADDRESS__)
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT) return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT) return true;
#endif
#endif
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGBUS;
}

// The guard takes only the faults of views: any other bus error, or the
// signal sent, ends the program as it did without views.
TEST(FileViewDeathTest, OtherBusErrorsStillEndTheProgram) {
    TempDir dir;
    const std::string p = dir.Write("a.bin", Pattern(8 * 4096));
    const std::string q = dir.Write("b.bin", Pattern(8 * 4096));
    auto foreignFault = [&] {
        std::optional<FileView> view = FileView::Open(p, 1 << 20);
        const int fd = ::open(q.c_str(), O_RDONLY);
        auto* map = static_cast<volatile const uint8_t*>(::mmap(nullptr, 8 * 4096, PROT_READ, MAP_PRIVATE, fd, 0));
        if (::truncate(q.c_str(), 0) == 0) (void)map[5 * 4096];
        std::exit(0);
    };
    EXPECT_EXIT(foreignFault(), EndedByBusError, "");
    auto sent = [&] {
        std::optional<FileView> view = FileView::Open(p, 1 << 20);
        ::raise(SIGBUS);
        std::exit(0);
    };
    EXPECT_EXIT(sent(), EndedByBusError, "");
}
#endif

}  // namespace
}  // namespace torvane
