#pragma once

#include <memory>

// The open database, as the owners and the upkeep pass it around. Only the engine (data/) sees
// what is inside.
class Database;
using DatabaseHandle = std::shared_ptr<Database>;
