// What the reference station panel shows from each count box, as values.
#include <gtest/gtest.h>

#include "station/ReferencePanel.h"
#include "tests/support/StationStores.h"

namespace pelorin {
namespace {

using testdata::kInfoStationMm;
using testdata::kType1Station;
using testdata::StoreWith;

TEST(PanelViewFor, OpensOnlyForABoxWhoseMessagesCame) {
  EXPECT_FALSE(PanelViewFor(PanelSource::Type1, StoreWith(0, 9, 9)).Opens);
  EXPECT_FALSE(PanelViewFor(PanelSource::Type2, StoreWith(9, 0, 9)).Opens);
  EXPECT_FALSE(PanelViewFor(PanelSource::CmrPlus, StoreWith(9, 9, 0)).Opens);
}

TEST(PanelViewFor, FillsFromTheSourceTheBoxStandsFor) {
  const PanelView type1 = PanelViewFor(PanelSource::Type1, StoreWith(1, 0, 0));
  ASSERT_TRUE(type1.Opens && type1.Fill);
  EXPECT_EQ(type1.Fill->Values[1], "      -4357871.711");
  EXPECT_EQ(type1.Fill->Values[3], "      1.500");
  EXPECT_EQ(type1.Fill->Hints[0], "lat:  45 : 12 : 34.5678");
  EXPECT_EQ(type1.Fill->Hints[2], "ell.ht (m): 100.000");

  // The description prefers the station information, then type 1, each
  // received more than three times; without either it opens unfilled.
  const PanelFill info = FillPanelFrom(MillimetresToMetres(kInfoStationMm));
  EXPECT_EQ(PanelViewFor(PanelSource::Type2, StoreWith(10, 5, 4)), (PanelView{true, info}));
  EXPECT_EQ(PanelViewFor(PanelSource::Type2, StoreWith(10, 5, 3)),
            (PanelView{true, FillPanelFrom(kType1Station)}));
  EXPECT_EQ(PanelViewFor(PanelSource::Type2, StoreWith(3, 2, 3)), (PanelView{true, std::nullopt}));

  // One CMR+ page is enough for its own box.
  const PanelView cmrPlus = PanelViewFor(PanelSource::CmrPlus, StoreWith(0, 0, 1));
  ASSERT_TRUE(cmrPlus.Fill);
  EXPECT_EQ(cmrPlus.Fill->Values[0], "      -4646302.562");
}

TEST(DescribePosition, OneLineInThePanelsFormats) {
  EXPECT_EQ(DescribePosition(kType1Station),
            "X 1126674.412 Y -4357871.711 Z 4503860.481 m, lat  45 : 12 : 34.5678, "
            "lon -75 : 30 : 15.4321, ell.ht 100.000 m");
  EXPECT_EQ(DescribePosition({}),
            "X 0.000 Y 0.000 Z 0.000 m, on the polar axis (no latitude or longitude), "
            "ell.ht -6356752.314 m");
}

}  // namespace
}  // namespace pelorin
