#include "core/memory_map.h"

#include <gtest/gtest.h>

#include <random>

#include "core/merge.h"
#include "platform/format.h"
#include "support/hex_text.h"
#include "support/workspace_fixture.h"

namespace torvane {
namespace {

using test::ReadBytes;

// Answers the merge's questions as a plan does, whatever they say.
class FixedAnswers final : public Prompts {
public:
    explicit FixedAnswers(MergeAnswers a) : answers_(a) {}
    Answer Show(const MessageBox& box) override {
        if (box.buttons == MessageButtons::YesNoCancel) {
            switch (answers_.overlap) {
                case MergeAnswers::Overlap::Force: return Answer::Yes;
                case MergeAnswers::Overlap::Append: return Answer::No;
                case MergeAnswers::Overlap::Cancel: return Answer::Cancel;
            }
        }
        if (box.kind == MessageKind::MergeIncomplete)
            return answers_.incomplete == MergeAnswers::Incomplete::Write ? Answer::Yes : Answer::No;
        if (box.buttons == MessageButtons::YesNo)
            return answers_.oversize == MergeAnswers::Oversize::Append ? Answer::Yes : Answer::No;
        return Answer::Ok;
    }
    std::optional<std::string> OpenFile(const FileDialog&) override { return next; }
    std::optional<std::string> SaveFile(const FileDialog&) override { return std::nullopt; }
    std::optional<std::string> next;

private:
    MergeAnswers answers_;
};

// The ranges cover the image from its first byte to its last without a gap (a
// merge that stops writes no image; its ranges go as far as it got).
void ExpectTiled(const MergeMap& map) {
    int64_t next = 0;
    for (const MapRange& r : map.ranges) {
        EXPECT_EQ(next, r.start);
        EXPECT_LE(r.start, r.end);
        next = r.end + 1;
    }
    if (!map.stopped) {
        EXPECT_EQ(map.imageSize, next);
    }
}

// HexBlock's bytes from 0 to `size` without the `gap` bytes from `at`: the
// bytes kept are those HexBlock has at their addresses.
std::string GappedBlock(uint32_t size, uint32_t at, uint32_t gap) {
    std::string text;
    for (uint32_t i = 0; i < size; i += 16) {
        std::vector<uint8_t> data;
        for (uint32_t j = i; j < size && j < i + 16; ++j) data.push_back(test::BlockByte(j));
        if (i >= at && i < at + gap) continue;
        text += test::DataRecord(static_cast<uint16_t>(i), data);
    }
    return text + test::EndRecord();
}

// For random rows and answers, the plan made before the merge and the map of
// the merge it ran both say exactly what the written image holds.
TEST(MemoryMapTest, ThePlanAgreesWithTheBytesTheMergeWrites) {
    std::mt19937 random(20261209);
    for (int round = 0; round < 60; ++round) {
        test::TempDir dir;
        MergeAnswers answers;
        answers.overlap = static_cast<MergeAnswers::Overlap>(random() % 3);
        answers.oversize = static_cast<MergeAnswers::Oversize>(random() % 2);
        // Taken from the round, so the rows drawn stay those of every earlier run.
        answers.incomplete = static_cast<MergeAnswers::Incomplete>(round % 2);
        FixedAnswers prompts(answers);
        Workspace ws(prompts);
        ws.SelectMode(WorkMode::MergeMode);
        ws.OutputFileText = dir.File("out.bin");
        // Taken from the round, as the answers above, so the draws stay the same.
        ws.HexGapFill = round % 3 == 0 ? GapFill::RowFill : GapFill::Zero;
        const int files = 2 + static_cast<int>(random() % 5);
        for (int row = 0; row < files; ++row) {
            const bool big = random() % 8 == 0;  // past 6 MiB together
            const size_t size = big ? 0x180000 + random() % 0x80000 : 1 + random() % 0x300;
            std::string bytes(size, '\0');
            for (char& c : bytes) c = static_cast<char>(random());
            std::string path;
            if (!big && random() % 5 == 0) {
                std::string hex = test::HexBlock(0, static_cast<uint32_t>(size));
                // Some with a gap between their records, which the map shows.
                if (round % 2 == 1 && size > 48) hex = GappedBlock(static_cast<uint32_t>(size), 16, 16);
                if (random() % 3 == 0) hex.insert(hex.find("\r\n"), "x");  // a file the merge leaves out
                path = dir.Write("r" + std::to_string(row) + ".hex", hex);
            } else {
                path = dir.Write("r" + std::to_string(row) + ".bin", bytes);
            }
            prompts.next = path;
            ws.rows().ChooseFile(row);
            RowControls& c = ws.rows().Controls(row);
            c.Selected = true;  // also a HEX file that does not decode
            c.BinOffsetText = Format("%X", static_cast<unsigned>(random() % 0x900));
            if (big) c.BinOffsetText = Format("%X", static_cast<unsigned>(0x500000 + random() % 0x200000));
            c.PolishDataIndex = static_cast<int>(random() % 2);
        }

        const MergeMap plan = PlanMerge(ws, answers);
        const bool written = MergeBatch(ws);
        ASSERT_TRUE(ws.LastMergeMap.has_value());
        const MergeMap& ran = *ws.LastMergeMap;
        EXPECT_EQ(plan.imageSize, ran.imageSize) << round;
        EXPECT_EQ(plan.ranges.size(), ran.ranges.size()) << round;
        EXPECT_EQ(plan.stopped.has_value(), ran.stopped.has_value()) << round;
        EXPECT_EQ(plan.leftOut.size(), ran.leftOut.size()) << round;
        EXPECT_EQ(written, plan.Complete()) << round;
        ExpectTiled(plan);
        if (plan.stopped) {
            EXPECT_FALSE(test::Exists(dir.File("out.bin"))) << round;
            continue;
        }
        const std::vector<uint8_t> image = ReadBytes(dir.File("out.bin"));
        ASSERT_EQ(static_cast<size_t>(plan.imageSize), image.size()) << round;
        for (const MapRange& r : plan.ranges) {
            if (r.kind == RangeKind::Fill || r.kind == RangeKind::Gap) {
                for (int64_t i = r.start; i <= r.end; ++i) ASSERT_EQ(r.fill, image[static_cast<size_t>(i)]) << round;
                continue;
            }
            // A HEX file is converted in memory: its bytes are those of its block.
            std::vector<uint8_t> source = ReadBytes(r.path);
            if (FileTypeOf(r.path) == kHexFile) {
                source.resize(static_cast<size_t>(r.sourceOffset + r.size()));
                for (size_t i = 0; i < source.size(); ++i) source[i] = test::BlockByte(static_cast<uint32_t>(i));
            }
            for (int64_t i = 0; i < r.size(); ++i) {
                ASSERT_EQ(source.at(static_cast<size_t>(r.sourceOffset + i)), image[static_cast<size_t>(r.start + i)])
                    << round;
            }
        }
    }
}

TEST(MemoryMapTest, AForcedFileOverAnEarlierOneIsAnOverlapOfBoth) {
    MergeMapRecorder rec;
    rec.File(0, 0x100, 1, "/a.bin");
    rec.Fill(0x100, 0x200, 0xFF);
    rec.File(0x200, 0x100, 2, "/b.bin");
    rec.File(0x80, 0x100, 3, "/c.bin");  // forced over the end of a.bin and the fill
    const MergeMap map = rec.Finish(0x300);
    ASSERT_EQ(5u, map.ranges.size());
    EXPECT_EQ(RangeKind::File, map.ranges[0].kind);
    EXPECT_EQ(0x7F, map.ranges[0].end);
    EXPECT_EQ(RangeKind::Overlap, map.ranges[1].kind);
    EXPECT_EQ(3, map.ranges[1].row);
    EXPECT_EQ(1, map.ranges[1].coveredRow);
    EXPECT_EQ(0xFF, map.ranges[1].end);
    EXPECT_EQ(RangeKind::File, map.ranges[2].kind);  // over the fill: no file lost
    EXPECT_EQ(3, map.ranges[2].row);
    EXPECT_EQ(0x80, map.ranges[2].sourceOffset);
    EXPECT_EQ(RangeKind::Fill, map.ranges[3].kind);
    EXPECT_EQ(0x180, map.ranges[3].start);
    EXPECT_EQ(2, map.ranges[4].row);
}

TEST(MemoryMapTest, HexSegmentsJoinWhereRecordsTouch) {
    const std::string text = test::HexBlock(0x08000000, 0x40) + test::HexBlock(0x08001000, 0x20);
    // Two blocks, each ending with an end record: the decoding stops at the first.
    const std::string both = text.substr(0, text.find(test::EndRecord())) + test::HexBlock(0x08001000, 0x20);
    const HexFileInfo info =
        InspectHex(std::span(reinterpret_cast<const uint8_t*>(both.data()), both.size()));
    ASSERT_EQ(2u, info.segments.size());
    EXPECT_EQ(0x08000000u, info.segments[0].start);
    EXPECT_EQ(0x40u, info.segments[0].bytes());
    EXPECT_EQ(0x08001000u, info.segments[1].start);
    EXPECT_EQ(0x0800101Fu, info.segments[1].end);
    EXPECT_EQ(1, info.decoded.code);
    EXPECT_EQ(0x08000000u, info.decoded.LowestAddress);
    EXPECT_EQ(0x1020u, info.decoded.ImageEnd);
}

TEST(MemoryMapTest, TooFewFilesIsAStoppedPlan) {
    FixedAnswers prompts{MergeAnswers{}};
    Workspace ws(prompts);
    const MergeMap map = PlanMerge(ws, MergeAnswers{});
    EXPECT_TRUE(map.stopped.has_value());
    EXPECT_TRUE(map.ranges.empty());
}

}  // namespace
}  // namespace torvane
