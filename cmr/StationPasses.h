#pragma once
// Passes over the CMR stream that choose the reference station and fill the
// decoded store with its coordinates, station information and description.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cmr/CmrDecode.h"
#include "cmr/CmrStream.h"
#include "cmr/DecodedStore.h"

namespace pelorin {

inline constexpr double kMinEarthDistanceMm = 6'350'000'000.0;
inline constexpr double kMaxEarthDistanceMm = 6'388'000'000.0;
inline constexpr std::uint64_t kType1ResumeBytes = 29;
inline constexpr std::uint64_t kType2ResumeBytes = 10;
inline constexpr std::uint64_t kCmrPlusResumeBytes = 8;
inline constexpr int kIdentifierThreshold = 3;  // more than 3 messages count

// Resets what an analysis that got past the start-time probe starts afresh.
void ResetStationInformation(DecodedStore& store);

// What pass A saw per station and system (GPS, GLONASS): messages and the
// satellite blocks they announce, enough to make room for the points.
struct ObservablesTally {
  std::array<std::array<std::int64_t, 2>, 32> Messages{};
  std::array<std::array<std::int64_t, 2>, 32> Satellites{};
};
// Pass A: the station ID most often seen in type 0 and type 3 messages.
void ChooseReferenceStation(const CmrStream& stream, DecodedStore& store,
                            ObservablesTally* tally = nullptr);
// A type 1 position the pass took, with the stream position of its frame.
struct AcceptedPosition {
  std::uint64_t Frame = 0;
  StationCoordinates Metres;
};
// Pass C: type 1 coordinates of the reference station. `accepted`, when
// given, gains every position the pass took, in stream order.
void DecodeType1Messages(const CmrStream& stream, DecodedStore& store,
                         std::vector<AcceptedPosition>* accepted = nullptr);
// The antenna type number most often seen in the type 1 messages, or -1.
void ChooseAntennaType(DecodedStore& store);
// Pass D: CMR+ station-information pages of the reference station.
void CollectStationInfoPages(const CmrStream& stream, DecodedStore& store);
// Falls back to the station information's antenna byte when no type 1 gave one.
void ApplyAntennaFallback(DecodedStore& store);
// Coordinates and identifiers of the station information, complete or not.
void DecodeStationInfo(DecodedStore& store);
// Pass E: type 2 descriptions of the reference station.
void DecodeType2Messages(const CmrStream& stream, DecodedStore& store);

// Leading and trailing characters with codes up to 32 removed.
std::string TrimText(const std::string& text);
// The identifier shown when both sources were received often enough.
std::string ChooseIdentifier(const std::string& type2Text, const std::string& infoText);

// The type 2 texts trimmed at the end of the passes, as the other three are.
void TrimType2Texts(DecodedStore& store);
// The identifiers shown for the station: from the type 2 messages, the CMR+
// station information or the better of both, whichever was received more
// than 3 times; nothing when neither was, and the boxes keep what they show.
std::optional<StationIdentifiers> ChooseShownIdentifiers(const DecodedStore& store);

}  // namespace pelorin
