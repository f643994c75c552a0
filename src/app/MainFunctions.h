#pragma once

// The program's spine: the order in which the database and the table owners come up.
namespace MainFunctions {

// Hands the shared database to the three table owners in their fixed order (settings,
// inventory, phone book); each creates or extends its table. One transaction, one flush.
void InitTables();

}  // namespace MainFunctions
