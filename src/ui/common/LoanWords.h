#pragma once

#include <QString>

#include "inventory/DVDRecord.h"

class Collection;

// The lines the questions about lent DVDs add to their own text, so that a user who answers
// knows which DVD and which borrower are at stake.
namespace LoanWords {

// "Ann has had it since 4/1/2024." for a lent DVD; empty for any other.
QString WhoHasIt(const InventoryFunctions::DVDRecord& dvd);

// The question, then a blank line and the line when there is one.
QString WithLine(const QString& question, const QString& line);

// "Ann still has: Alien, Heat." when the borrower has DVDs out; else empty.
QString StillHas(Collection& collection, const QString& name);

}  // namespace LoanWords
