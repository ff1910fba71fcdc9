// Opening large documents in the main view: loading the file, rebuilding and sorting the row
// list, and painting the visible rows.
//
// The documents come from tools/generate_mappings.py; bench/compare.sh writes them and runs
// this benchmark. Without them (WIRELACE_BENCH_DATA unset or missing files) the cases are
// skipped with a message.

#include <benchmark/benchmark.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include "app/MainViewComponent.h"
#include "app/WirelaceApplication.h"
#include "model/ControlCatalogue.h"
#include "model/ControllerDocument.h"

/** Reaches the main view's document and table (the main view names this struct as a friend). */
struct MainViewInspector
{
    static ControllerDocument& document (MainViewComponent& view) { return *view.document; }
    static juce::TableListBox& table (MainViewComponent& view) { return *view.table; }
    static int numRows (MainViewComponent& view) { return view.numRows; }
};

namespace
{
    /**
        The process-wide services that the main view needs, made once for the whole run and never
        torn down: JUCE's GUI must not be shut down by a static destructor after main has returned.
    */
    void prepareEnvironment()
    {
        static const bool prepared = []
        {
            juce::initialiseJuce_GUI();

            const auto settingsFolder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                                            .getChildFile ("wirelace-bench-settings");
            settingsFolder.createDirectory();

            juce::PropertiesFile::Options options;
            options.applicationName = "Wirelace";
            options.filenameSuffix = "settings";
            options.folderName = settingsFolder.getFullPathName();
            appProperties.setStorageParameters (options);

            controlCatalogue = std::make_unique<ControlCatalogue>();
            controlCatalogue->load();
            return true;
        }();

        juce::ignoreUnused (prepared);
    }

    juce::File documentFile (int64_t count)
    {
        const auto folder = juce::SystemStats::getEnvironmentVariable ("WIRELACE_BENCH_DATA", {});
        return juce::File (folder).getChildFile ("mappings_" + juce::String (count) + ".mappings");
    }

    /** The generated document of state.range (0) mappings, or no file (and the run marked
        skipped) when it has not been written. */
    juce::File findDocument (benchmark::State& state)
    {
        prepareEnvironment();
        const auto file = documentFile (state.range (0));

        if (file.existsAsFile())
            return file;

        state.SkipWithError ("no document: run bench/compare.sh (or set WIRELACE_BENCH_DATA)");
        return {};
    }

    /** Marks the run failed when the document was refused, and reports the rows it listed
        (a file that bench/compare.sh did not write may hold any number of mappings). */
    void reportRows (benchmark::State& state, bool loaded, int rows)
    {
        if (! loaded)
            state.SkipWithError ("the document was refused");

        state.counters["rows"] = rows;
    }

    /** Times loadFrom followed by the rebuild of the row list sorted by one column. */
    void openAndList (benchmark::State& state, int sortColumnId)
    {
        const auto file = findDocument (state);

        if (file == juce::File())
            return;

        MainViewComponent view;
        view.setSize (1100, 700);
        view.sortOrderChanged (sortColumnId, true);

        // One open outside the timing: the catalogue has answered for these aliases before, and
        // every timed open replaces a document of the same size, as a second open does.
        bool loaded = MainViewInspector::document (view).loadFrom (file);
        view.updateMappingList();

        for (auto _ : state)
        {
            loaded = MainViewInspector::document (view).loadFrom (file) && loaded;
            view.updateMappingList();
        }

        reportRows (state, loaded, MainViewInspector::numRows (view));
    }

    void BM_OpenAndListSortedByName (benchmark::State& state) { openAndList (state, 7); }
    void BM_OpenAndListSortedByIO (benchmark::State& state)   { openAndList (state, 2); }

    /**
        The same as a user's first open after start-up: every iteration gets a new main view and a
        freshly loaded catalogue whose caches are empty (made outside the timing), then times
        loadFrom and the rebuild sorted by one column.
    */
    void firstOpenAndList (benchmark::State& state, int sortColumnId)
    {
        const auto file = findDocument (state);

        if (file == juce::File())
            return;

        std::unique_ptr<MainViewComponent> view;
        bool loaded = true;

        for (auto _ : state)
        {
            state.PauseTiming();
            view.reset();
            controlCatalogue = std::make_unique<ControlCatalogue>();
            controlCatalogue->load();
            view = std::make_unique<MainViewComponent>();
            view->setSize (1100, 700);
            view->sortOrderChanged (sortColumnId, true);
            state.ResumeTiming();

            loaded = MainViewInspector::document (*view).loadFrom (file) && loaded;
            view->updateMappingList();
        }

        reportRows (state, loaded, view != nullptr ? MainViewInspector::numRows (*view) : 0);
    }

    void BM_FirstOpenAndListSortedByName (benchmark::State& state) { firstOpenAndList (state, 7); }
    void BM_FirstOpenAndListSortedByIO (benchmark::State& state)   { firstOpenAndList (state, 2); }

    /** Times the rebuild alone (no file reading): filter walk, catalogue lookups and sort. */
    void rebuildOnly (benchmark::State& state, int sortColumnId)
    {
        const auto file = findDocument (state);

        if (file == juce::File())
            return;

        MainViewComponent view;
        view.setSize (1100, 700);
        const bool loaded = MainViewInspector::document (view).loadFrom (file);
        view.sortOrderChanged (sortColumnId, true);

        for (auto _ : state)
            view.updateMappingList();

        reportRows (state, loaded, MainViewInspector::numRows (view));
    }

    void BM_RebuildSortedByName (benchmark::State& state) { rebuildOnly (state, 7); }
    void BM_RebuildSortedByIO (benchmark::State& state)   { rebuildOnly (state, 2); }

    /** Times one full repaint of the table's visible rows (1100 by 700 window). */
    void BM_RepaintVisibleRows (benchmark::State& state)
    {
        const auto file = findDocument (state);

        if (file == juce::File())
            return;

        MainViewComponent view;
        view.setSize (1100, 700);
        MainViewInspector::document (view).loadFrom (file);
        view.sortOrderChanged (7, true);

        auto& table = MainViewInspector::table (view);
        table.getHeader().setColumnVisible (5, true); // "Mapped to" too: every text column
        juce::Image image (juce::Image::ARGB, table.getWidth(), table.getHeight(), true);

        for (auto _ : state)
        {
            juce::Graphics g (image);
            table.paintEntireComponent (g, true);
        }

        state.counters["visibleRows"] = table.getNumRowsOnScreen();
    }
}

// The opens run one iteration per repetition, so that repetitions give single timings, the
// same samples as bench/compare.sh takes of xmllint.
BENCHMARK (BM_OpenAndListSortedByName)->Arg (2000)->Arg (20000)->Iterations (1)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_OpenAndListSortedByIO)->Arg (2000)->Arg (20000)->Iterations (1)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_FirstOpenAndListSortedByName)->Arg (2000)->Arg (20000)->Iterations (1)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_FirstOpenAndListSortedByIO)->Arg (2000)->Arg (20000)->Iterations (1)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_RebuildSortedByName)->Arg (2000)->Arg (20000)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_RebuildSortedByIO)->Arg (2000)->Arg (20000)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_RepaintVisibleRows)->Arg (2000)->Arg (20000)->Unit (benchmark::kMillisecond);
