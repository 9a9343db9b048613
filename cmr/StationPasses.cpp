#include "cmr/StationPasses.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pelorin {
namespace {

// Station-information layout, as assembled from the pages.
constexpr std::size_t kInfoAntennaByte = 5;
constexpr std::size_t kInfoCoordinatesOffset = 8;
constexpr std::size_t kInfoLengthByte = 28;
constexpr std::size_t kInfoShortIdOffset = 29;
constexpr std::size_t kInfoCogoCodeOffset = 37;
constexpr std::size_t kInfoLongIdOffset = 53;
constexpr int kInfoMaxLength = 76;
constexpr int kInfoLengthBeforeLongId = 26;

// Position after the satellite blocks that start at `pos`; stops at a block
// that would reach past the stream.
std::uint64_t SkipSatelliteBlocks(ByteSpan stream, std::uint64_t pos, int count) {
  for (int k = 0; k < count; ++k) {
    const auto block = DecodeSvBlock(stream, pos);
    if (!block) break;
    pos += kSvBlockBytes + (block->L2Follows ? kL2BlockBytes : 0);
  }
  return pos;
}

bool IsPlausibleEarthDistance(const StationCoordinates& mm) {
  const double distance = std::sqrt(mm.X * mm.X + mm.Y * mm.Y + mm.Z * mm.Z);
  return distance <= kMaxEarthDistanceMm && distance >= kMinEarthDistanceMm;
}

void CopyIntoText(ByteSpan from, std::string& text) {
  for (std::size_t k = 0; k < from.size() && k < text.size(); ++k) {
    text[k] = static_cast<char>(from[k]);
  }
}

// The seen list of the station information being collected.
struct PageCollection {
  std::vector<bool> Seen;
  int LastPage = -1;
};

// Stores the data bytes of an accepted page; pages whose data would reach
// past the block or past the announced last page are left out.
void StorePage(ByteSpan stream, std::uint64_t pos, const CmrPlusPage& page,
               PageCollection& collection, DecodedStore& store) {
  if (page.PageNumber > collection.LastPage) return;
  const bool isLast = page.PageNumber == page.LastPageIndex;
  const std::size_t count =
      isLast ? static_cast<std::size_t>(std::max(page.Length - 3, 0)) : kCmrPlusDataBytes;
  const std::size_t offset = kCmrPlusDataBytes * static_cast<std::size_t>(page.PageNumber);
  if (offset + count > kStationInfoBytes) return;

  collection.Seen[static_cast<std::size_t>(page.PageNumber)] = true;
  const ByteSpan data = stream.subspan(pos + kCmrPlusDataOffset, count);
  std::copy(data.begin(), data.end(), store.StationInfoBlock.begin() + offset);
  if (isLast) {
    store.StationInfoComplete =
        std::all_of(collection.Seen.begin(), collection.Seen.end(), [](bool seen) { return seen; });
  }
}

}  // namespace

void ResetStationInformation(DecodedStore& store) {
  store.StationInfoBlock.fill(0);
  store.StationInfoWaiting = true;
  store.StationInfoComplete = false;
  store.StationIdTally.fill(0);
  store.Type2ShortId.assign(kShortIdWidth, ' ');
  store.Type2CogoCode.assign(kCogoCodeWidth, ' ');
  store.Type2LongId.assign(kLongIdWidth, ' ');
  store.InfoShortId.assign(kShortIdWidth, ' ');
  store.InfoCogoCode.assign(kCogoCodeWidth, ' ');
  store.InfoLongId.assign(kLongIdWidth, ' ');
}

void ChooseReferenceStation(const CmrStream& cmr, DecodedStore& store, ObservablesTally* tally) {
  const ByteSpan stream = cmr.Bytes();
  ForEachCmrFrame(cmr, [&](std::uint64_t frame) {
    const auto header = DecodeObsHeader(stream, frame + kFrameHeaderBytes);
    if (!header) return frame + kFrameHeaderBytes;
    const auto station = static_cast<std::size_t>(header->StationId);
    ++store.StationIdTally[station];
    if (tally) {
      const std::size_t system = header->Gps ? 0 : 1;
      ++tally->Messages[station][system];
      tally->Satellites[station][system] += header->SatelliteCount;
    }
    return SkipSatelliteBlocks(stream, frame + kFrameHeaderBytes + kMessageHeaderBytes,
                               header->SatelliteCount);
  });

  // Lowest ID wins a tie; with no observables at all, station 0.
  int best = -1000;
  store.ReferenceStationId = 0;
  for (int id = 0; id < 32; ++id) {
    if (store.StationIdTally[static_cast<std::size_t>(id)] > best) {
      best = store.StationIdTally[static_cast<std::size_t>(id)];
      store.ReferenceStationId = id;
    }
  }
  ZeroCounts(store);
}

void DecodeType1Messages(const CmrStream& cmr, DecodedStore& store,
                         std::vector<AcceptedPosition>* accepted) {
  const ByteSpan stream = cmr.Bytes();
  ForEachCmrFrame(cmr, [&](std::uint64_t frame) {
    const std::uint64_t message = frame + kFrameHeaderBytes;
    if (!DecodeRefHeader(stream, message, 1, store)) return frame + kFrameHeaderBytes;
    auto mm = DecodeRefCoordinates(stream, message + kMessageHeaderBytes);
    if (!mm) return frame + 1;
    if (!IsPlausibleEarthDistance(*mm)) mm->X = mm->Y = mm->Z = 0;
    if (mm->X == 0 && mm->Y == 0 && mm->Z == 0) return frame + 1;
    store.Type1Coordinates = MillimetresToMetres(*mm);
    ++store.Type1Count;
    if (accepted) accepted->push_back({frame, store.Type1Coordinates});
    return frame + kType1ResumeBytes;
  });
}

void ChooseAntennaType(DecodedStore& store) {
  int best = -1;
  int index = 0;
  for (int k = 0; k < 256; ++k) {
    if (store.AntennaTypeTally[static_cast<std::size_t>(k)] > best) {
      best = store.AntennaTypeTally[static_cast<std::size_t>(k)];
      index = k;
    }
  }
  store.AntennaTypeNumber = best > 0 ? index : -1;
}

void CollectStationInfoPages(const CmrStream& cmr, DecodedStore& store) {
  const ByteSpan stream = cmr.Bytes();
  PageCollection collection;
  // Only where a page could open is there anything to check.
  std::uint64_t from = 0;
  while (const auto pos = cmr.NextCmrPlusOpening(from)) {
    const auto page = CheckCmrPlusPage(stream, *pos, store.ReferenceStationId);
    if (!page) {
      from = *pos + 1;
      continue;
    }
    if (page->PageNumber == 0 && page->LastPageIndex > 0) {
      store.StationInfoWaiting = false;
      collection.LastPage = page->LastPageIndex;
      collection.Seen.assign(static_cast<std::size_t>(page->LastPageIndex) + 1, false);
    }
    if (!store.StationInfoWaiting && !store.StationInfoComplete) {
      StorePage(stream, *pos, *page, collection, store);
    }
    ++store.CmrPlusCount;
    from = *pos + kCmrPlusResumeBytes;
  }
}

void ApplyAntennaFallback(DecodedStore& store) {
  if (store.AntennaTypeNumber < 0)
    store.AntennaTypeNumber = store.StationInfoBlock[kInfoAntennaByte];
}

void DecodeStationInfo(DecodedStore& store) {
  const auto& block = store.StationInfoBlock;
  store.StationInfoCoordinates = *DecodeRefCoordinates(block, kInfoCoordinatesOffset);
  const ByteSpan info(block);
  CopyIntoText(info.subspan(kInfoShortIdOffset, 8), store.InfoShortId);
  CopyIntoText(info.subspan(kInfoCogoCodeOffset, 16), store.InfoCogoCode);
  const int length = block[kInfoLengthByte];
  if (length <= kInfoMaxLength && length > kInfoLengthBeforeLongId) {
    CopyIntoText(
        info.subspan(kInfoLongIdOffset, static_cast<std::size_t>(length - kInfoLengthBeforeLongId)),
        store.InfoLongId);
  }
  store.InfoShortId = TrimText(store.InfoShortId);
  store.InfoCogoCode = TrimText(store.InfoCogoCode);
  store.InfoLongId = TrimText(store.InfoLongId);
}

void DecodeType2Messages(const CmrStream& cmr, DecodedStore& store) {
  const ByteSpan stream = cmr.Bytes();
  ForEachCmrFrame(cmr, [&](std::uint64_t frame) {
    const std::uint64_t message = frame + kFrameHeaderBytes;
    const auto header = DecodeRefHeader(stream, message, 2, store);
    if (!header) return frame + kFrameHeaderBytes;
    if (header->AntennaTypeNumber == store.AntennaTypeNumber) ++store.Type2Count;
    // The last description wins, character by character.
    DecodeStationText(stream, message + kMessageHeaderBytes, store.Type2ShortId,
                      store.Type2CogoCode, store.Type2LongId);
    return frame + kType2ResumeBytes;
  });
}

std::string TrimText(const std::string& text) {
  auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  const auto first = std::find_if_not(text.begin(), text.end(), isBlank);
  const auto last = std::find_if_not(text.rbegin(), text.rend(), isBlank).base();
  return first < last ? std::string(first, last) : std::string();
}

std::string ChooseIdentifier(const std::string& type2Text, const std::string& infoText) {
  if (type2Text == infoText) return type2Text;
  return infoText.size() > type2Text.size() ? infoText : type2Text;
}

void TrimType2Texts(DecodedStore& store) {
  store.Type2ShortId = TrimText(store.Type2ShortId);
  store.Type2CogoCode = TrimText(store.Type2CogoCode);
  store.Type2LongId = TrimText(store.Type2LongId);
}

std::optional<StationIdentifiers> ChooseShownIdentifiers(const DecodedStore& store) {
  const bool type2Often = store.Type2Count > kIdentifierThreshold;
  const bool infoOften = store.CmrPlusCount > kIdentifierThreshold;
  if (type2Often && infoOften) {
    return StationIdentifiers{ChooseIdentifier(store.Type2ShortId, store.InfoShortId),
                              ChooseIdentifier(store.Type2CogoCode, store.InfoCogoCode),
                              ChooseIdentifier(store.Type2LongId, store.InfoLongId)};
  }
  if (type2Often)
    return StationIdentifiers{store.Type2ShortId, store.Type2CogoCode, store.Type2LongId};
  if (infoOften) return StationIdentifiers{store.InfoShortId, store.InfoCogoCode, store.InfoLongId};
  return std::nullopt;
}

}  // namespace pelorin
