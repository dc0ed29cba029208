// Matching one side against the other, indexed and by the reference scan.
#include <benchmark/benchmark.h>

#include <memory>

#include "json/RecordGen.h"
#include "misc/CommAddrMgr.h"

namespace {

void Fill(CommAddrMgr& m, const std::vector<CommonContact>& records) {
  for (const CommonContact& c : records) m.Add(&c);
}

void BM_MarkContacts(benchmark::State& state) {
  auto n = static_cast<std::size_t>(state.range(0));
  bool linear = state.range(1) != 0;
  CommAddrMgr source, target;
  Fill(source, GenerateContacts(n, {1, 7, 0}));
  Fill(target, GenerateContacts(n, {2, 7, 0}));
  std::unique_ptr<CommAddrMgr> fresh;
  for (auto _ : state) {
    // A fresh target each round, so building the index is part of the time.
    state.PauseTiming();
    fresh = std::make_unique<CommAddrMgr>();
    for (std::uint32_t i = 0; i < target.Count(); ++i)
      fresh->Add(target.Peek(static_cast<std::int32_t>(i)));
    state.ResumeTiming();
    bool ok = linear ? source.MarkAgainstLinear(fresh.get()) : source.MarkAgainst(fresh.get());
    benchmark::DoNotOptimize(ok);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

}  // namespace

BENCHMARK(BM_MarkContacts)
    ->ArgsProduct({{10000, 100000}, {0}})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
