#pragma once

#include "app/Collection.h"
#include "data/Database.h"

namespace bench {

// The window benchmarks share one main() (in this library): it generates a collection of argv[1]
// DVDs (default 100,000) in an offscreen application, opens it as a collection with its tables
// set up and its pages in the cache, and runs the registered benchmarks.
// The collection the benchmarks run against.
::Collection& Opened();

}  // namespace bench
