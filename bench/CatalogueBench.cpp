// The control catalogue: loading the embedded documents, and looking up every alias of the
// control list for the first time (one search each) and again (answered by the caches).

#include <benchmark/benchmark.h>

#include "model/ControlCatalogue.h"
#include "resources/Resources.h"

namespace
{
    /** Every alias of the control list, read from its rows the way the catalogue reads them. */
    const juce::StringArray& everyAlias()
    {
        static const juce::StringArray aliases = []
        {
            juce::StringArray lines, result;
            lines.addLines (Resources::getText ("controls.txt"));

            for (auto& line : lines)
            {
                juce::StringArray tokens;
                tokens.addTokens (line, " ", "");

                if (line.startsWith ("In&Out"))      result.addIfNotAlreadyThere (tokens[1]);
                else if (line.startsWith ("In"))     result.addIfNotAlreadyThere (tokens[5]);
                else if (line.startsWith ("   Out")) result.addIfNotAlreadyThere (tokens[4]);
            }

            return result;
        }();

        return aliases;
    }

    /** The three questions the main view asks for every row it paints. */
    void lookUpEveryAlias (ControlCatalogue& catalogue)
    {
        for (auto& alias : everyAlias())
        {
            benchmark::DoNotOptimize (catalogue.isKnownAlias (alias));
            benchmark::DoNotOptimize (catalogue.getType (alias));
            benchmark::DoNotOptimize (catalogue.getTitle (alias));
        }
    }

    void setLookupCounters (benchmark::State& state)
    {
        state.SetItemsProcessed (state.iterations() * everyAlias().size() * 3);
        state.counters["aliases"] = (double) everyAlias().size();
    }
}

static void CatalogueLoad (benchmark::State& state)
{
    for (auto _ : state)
    {
        ControlCatalogue catalogue;
        catalogue.load();
        benchmark::DoNotOptimize (&catalogue);
    }
}
BENCHMARK (CatalogueLoad)->Unit (benchmark::kMillisecond);

static void CatalogueFirstLookupOfEveryAlias (benchmark::State& state)
{
    for (auto _ : state)
    {
        state.PauseTiming();
        auto catalogue = std::make_unique<ControlCatalogue>();
        catalogue->load();
        state.ResumeTiming();

        lookUpEveryAlias (*catalogue);

        state.PauseTiming();
        catalogue.reset();
        state.ResumeTiming();
    }

    setLookupCounters (state);
}
BENCHMARK (CatalogueFirstLookupOfEveryAlias)->Unit (benchmark::kMillisecond);

static void CatalogueRepeatedLookupOfEveryAlias (benchmark::State& state)
{
    ControlCatalogue catalogue;
    catalogue.load();
    lookUpEveryAlias (catalogue);

    for (auto _ : state)
        lookUpEveryAlias (catalogue);

    setLookupCounters (state);
}
BENCHMARK (CatalogueRepeatedLookupOfEveryAlias)->Unit (benchmark::kMillisecond);

static void CatalogueTypeOfUnknownAlias (benchmark::State& state)
{
    // getType stores no miss, so every call searches again.
    ControlCatalogue catalogue;
    catalogue.load();
    const juce::String unknown ("fam(Player)[0x1].NoSuchControl");

    for (auto _ : state)
        benchmark::DoNotOptimize (catalogue.getType (unknown));
}
BENCHMARK (CatalogueTypeOfUnknownAlias)->Unit (benchmark::kMicrosecond);
