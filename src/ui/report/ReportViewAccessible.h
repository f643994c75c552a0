#pragma once

// What a screen reader reads of the report's text box: an editable multi-line text, its lines,
// words and characters, the caret and the selection, asked for by offset.
namespace ReportViewAccessibility {

// Makes every report text box readable this way; more calls change nothing.
void Install();

}  // namespace ReportViewAccessibility
