// Cost of the arithmetic on the path from a key press to a window write, and of reading the
// largest command list a user can keep (12 × 12 cells, one command each).
#include "json/CommandListFile.h"
#include "model/StockCommands.h"
#include "placement/Layout.h"
#include "placement/TargetRules.h"

#include <benchmark/benchmark.h>

namespace panemark {
namespace {

constexpr Rect visible{0, 25, 2560, 1415};

void BM_LayoutFrame(benchmark::State& state) {
    std::int64_t col = 0;
    for (auto _ : state) {
        const GridSpan span{12, 12, col % 12, (col + 3) % 12, col % 5, 11};
        benchmark::DoNotOptimize(Layout::frame(span, visible, 8));
        ++col;
    }
}
BENCHMARK(BM_LayoutFrame);

void BM_TargetRulesOfStockCommands(benchmark::State& state) {
    const std::vector<ZoneCommand> commands = stockCommands();
    const Rect base{100, 100, 800, 600};
    for (auto _ : state) {
        for (const ZoneCommand& command : commands) {
            benchmark::DoNotOptimize(TargetRules::ruleFor(command, 8)(visible, base));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(commands.size()));
}
BENCHMARK(BM_TargetRulesOfStockCommands);

void BM_HalfStep(benchmark::State& state) {
    const Rect base{100, 700, 800, 600};
    for (auto _ : state) {
        benchmark::DoNotOptimize(TargetRules::halfStep(HalfAction::top, 8, visible, base));
    }
}
BENCHMARK(BM_HalfStep);

std::string fullGridCommandList() {
    std::vector<ZoneCommand> commands;
    for (std::int64_t row = 0; row < 12; ++row) {
        for (std::int64_t col = 0; col < 12; ++col) {
            ZoneCommand command;
            command.name = "Cell " + std::to_string(row * 12 + col + 1);
            command.cols = command.rows = 12;
            command.ordering = Ordering::clockwise;
            command.colStart = command.colEnd = col;
            command.rowStart = command.rowEnd = row;
            command.shortcut = Shortcut{static_cast<std::uint32_t>(col), 6400};
            commands.push_back(command);
        }
    }
    return CommandListFile::format(commands); // one object per line
}

void BM_Decode144Commands(benchmark::State& state) {
    // format() writes one object per line; joined with commas they make one array, the form a
    // hand-kept file usually has.
    std::string text = "[" + fullGridCommandList() + "]";
    for (std::size_t at = text.find("}\n{"); at != std::string::npos; at = text.find("}\n{", at)) {
        text[at + 1] = ',';
    }
    if (!CommandListFile::parse(text)) {
        state.SkipWithError("the command list does not decode");
        return;
    }
    for (auto _ : state) {
        auto commands = CommandListFile::parse(text);
        benchmark::DoNotOptimize(commands);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_Decode144Commands);

void BM_Labels144Commands(benchmark::State& state) {
    auto commands = CommandListFile::parse(fullGridCommandList());
    if (!commands) {
        state.SkipWithError(commands.error().c_str());
        return;
    }
    for (auto _ : state) {
        for (const ZoneCommand& command : commands.value()) {
            benchmark::DoNotOptimize(command.displayName());
        }
    }
}
BENCHMARK(BM_Labels144Commands);

} // namespace
} // namespace panemark
