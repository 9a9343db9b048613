#include "report/WindowTexts.h"

#include "cmr/Analysis.h"

namespace pelorin {

BoxTexts StartUpTexts() {
  BoxTexts texts = {{"Edit2", " Type 0: "},
                    {"Edit3", " Type 1: "},
                    {"Edit4", " Type 2: "},
                    {"Edit5", " Type 3: "},
                    {"Edit8", "            Scrolling Station Info:"}};
  for (const char* box : {"Edit1", "Edit6", "Edit7", "Edit9", "Edit10", "Edit11", "Edit12",
                          "Edit13", "Edit14", "Edit15", "Edit16"}) {
    texts.emplace_back(box, "");
  }
  return texts;
}

std::string SelectedFileText(const std::string& path) {
  return "Selected file: " + FileNameOf(path);
}

BoxTexts TextsShownBy(const AnalysisResult& result) {
  if (result.Outcome == AnalysisOutcome::OutOfMemory) return StartUpTexts();
  if (!result.RanThePasses()) return {};
  const DecodedStore& store = result.Store;
  BoxTexts texts = {
      {"Edit2", "Type 0: " + std::to_string(store.Type0Count)},
      {"Edit3", "Type 1: " + std::to_string(store.Type1Count)},
      {"Edit4", "Type 2: " + std::to_string(store.Type2Count)},
      {"Edit5", "Type 3: " + std::to_string(store.Type3Count)},
      {"Edit8", "         Scrolling Station Info: " + std::to_string(store.CmrPlusCount)},
      {"Edit12", std::to_string(store.ReferenceStationId)},
      {"Edit13", std::to_string(store.AntennaTypeNumber)}};
  if (result.Identifiers) {
    texts.emplace_back("Edit14", result.Identifiers->ShortId);
    texts.emplace_back("Edit15", result.Identifiers->CogoCode);
    texts.emplace_back("Edit16", result.Identifiers->LongId);
  }
  return texts;
}

void SetBoxText(BoxTexts& texts, const std::string& box, const std::string& text) {
  for (auto& [name, shown] : texts) {
    if (name == box) {
      shown = text;
      return;
    }
  }
  texts.emplace_back(box, text);
}

std::string BoxText(const BoxTexts& texts, const std::string& box) {
  for (const auto& [name, shown] : texts) {
    if (name == box) return shown;
  }
  return {};
}

}  // namespace pelorin
