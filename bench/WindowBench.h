#pragma once

#include <functional>

#include "data/Database.h"

namespace bench {

// Runs the registered benchmarks of a window against a generated collection of argv[1] DVDs
// (default 100,000) in an offscreen application: the collection is open as the shared database
// with the three tables set up and its pages in the cache; `ready` gets it before the first run.
int RunWindowBenchmarks(int argc, char** argv,
                        const std::function<void(const DatabaseHandle&)>& ready = {});

}  // namespace bench
