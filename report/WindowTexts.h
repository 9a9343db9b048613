#pragma once
// The texts of the main window's boxes, by the boxes' names, as the window
// shows them: at start-up, once a file is chosen, and after an analysis. The
// window puts them into its boxes; the report command prints them.

#include <string>
#include <utility>
#include <vector>

#include "cmr/AnalysisResult.h"

namespace pelorin {

// (box name, text) pairs.
using BoxTexts = std::vector<std::pair<std::string, std::string>>;

// The count boxes' design texts and the station panel's boxes, empty.
BoxTexts StartUpTexts();
// The selected-file line once a file is chosen.
std::string SelectedFileText(const std::string& path);
// The boxes an analysis writes, in the order it writes them: the counts and
// the station's number and antenna type once the passes ran, and the
// identifiers when a source was received often enough; the start-up texts
// after running out of memory; none otherwise.
BoxTexts TextsShownBy(const AnalysisResult& result);

// Sets `box` to `text` in `texts`, adding it when it is not there yet.
void SetBoxText(BoxTexts& texts, const std::string& box, const std::string& text);
// The text of `box`, empty when it has none.
std::string BoxText(const BoxTexts& texts, const std::string& box);

}  // namespace pelorin
