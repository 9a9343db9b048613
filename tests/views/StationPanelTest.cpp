#include <gtest/gtest.h>

#include "tests/support/RecordingToolkit.h"
#include "tests/support/StationStores.h"
#include "views/StationPanel.h"

namespace pelorin {
namespace {

const BorderIcons kRestingIcons{true, true, false, false};

using testdata::kInfoStationMm;
using testdata::kType1Station;
using testdata::StoreWith;

// The main window as start-up leaves it: panel hidden, design hints.
RecordingToolkit FreshWindow() {
  RecordingToolkit toolkit;
  toolkit.Control("Panel2").Visible = false;
  toolkit.Control("Edit1").Hint = "X-coordinate";
  toolkit.Control("Edit1").ShowHint = false;
  return toolkit;
}

bool PanelShown(RecordingToolkit& toolkit) {
  const ControlState& panel = toolkit.Control("Panel2");
  return panel.Visible && panel.AlignedToClient;
}

TEST(StationPanel, ClicksWithoutTheirMessagesChangeNothing) {
  for (auto click : {Edit3Click, Edit4Click, Edit8Click}) {
    RecordingToolkit toolkit = FreshWindow();
    const auto before = toolkit.Controls;
    // Only the count of the clicked box's own kind matters.
    DecodedStore store = StoreWith(0, 0, 0);
    if (click != Edit3Click) store.Type1Count = 10;
    if (click != Edit8Click) store.CmrPlusCount = 10;
    click(store, toolkit);
    EXPECT_EQ(toolkit.Icons, kRestingIcons);
    EXPECT_EQ(toolkit.Controls.size(), before.size());
    EXPECT_FALSE(toolkit.Control("Panel2").Visible);
    EXPECT_EQ(toolkit.Control("Edit1").Hint, "X-coordinate");
    EXPECT_EQ(toolkit.TextOf("Edit1"), "");
  }
}

TEST(StationPanel, Type1ClickFillsBoxesAndGeodeticHints) {
  RecordingToolkit toolkit = FreshWindow();
  Edit3Click(StoreWith(1, 0, 0), toolkit);

  EXPECT_EQ(toolkit.TextOf("Edit1"), "      1126674.412");
  EXPECT_EQ(toolkit.TextOf("Edit6"), "      -4357871.711");
  EXPECT_EQ(toolkit.TextOf("Edit7"), "      4503860.481");
  EXPECT_EQ(toolkit.TextOf("Edit9"), "      1.500");
  EXPECT_EQ(toolkit.TextOf("Edit10"), "      -0.250");
  EXPECT_EQ(toolkit.TextOf("Edit11"), "      0.125");
  // A northern latitude text starts with a space, hence two after the colon.
  EXPECT_EQ(toolkit.Control("Edit1").Hint, "lat:  45 : 12 : 34.5678");
  EXPECT_EQ(toolkit.Control("Edit6").Hint, "lon: -75 : 30 : 15.4321");
  EXPECT_EQ(toolkit.Control("Edit7").Hint, "ell.ht (m): 100.000");
  for (const char* box : {"Edit1", "Edit6", "Edit7"}) EXPECT_TRUE(toolkit.Control(box).ShowHint);
  EXPECT_TRUE(PanelShown(toolkit));

  ShowBasePanel({-2694892.46172, 0, 0, 0, 0, 0}, toolkit);
  EXPECT_EQ(toolkit.TextOf("Edit1"), "      -2694892.462");
}

TEST(StationPanel, TitleBarButtonsGoWithShowAndComeBackWithClose) {
  RecordingToolkit toolkit = FreshWindow();
  Edit3Click(StoreWith(1, 0, 0), toolkit);
  EXPECT_EQ(toolkit.Icons, BorderIcons{});

  SpeedButton4Click(toolkit);
  EXPECT_EQ(toolkit.Icons, kRestingIcons);  // maximise stays absent
  EXPECT_FALSE(toolkit.Control("Panel2").Visible);
  EXPECT_TRUE(toolkit.Control("Panel2").AlignedToClient);
  // Values and hints stay behind the hidden panel until the next show.
  EXPECT_EQ(toolkit.Control("Edit1").Hint, "lat:  45 : 12 : 34.5678");
  EXPECT_EQ(toolkit.TextOf("Edit1"), "      1126674.412");

  Edit4Click(StoreWith(0, 1, 0), toolkit);
  EXPECT_EQ(toolkit.Icons, BorderIcons{});
  SpeedButton4Click(toolkit);
  EXPECT_EQ(toolkit.Icons, kRestingIcons);
}

TEST(StationPanel, DescriptionPrefersStationInformationReceivedMoreThanThreeTimes) {
  {
    SCOPED_TRACE("4 CMR+ pages: station information in metres");
    RecordingToolkit toolkit = FreshWindow();
    Edit4Click(StoreWith(10, 5, 4), toolkit);
    EXPECT_EQ(toolkit.TextOf("Edit1"), "      -4646302.562");
    EXPECT_EQ(toolkit.TextOf("Edit6"), "      2553332.808");
    EXPECT_EQ(toolkit.TextOf("Edit7"), "      -3534058.022");
    EXPECT_EQ(toolkit.TextOf("Edit9"), "      2.000");
    EXPECT_EQ(toolkit.TextOf("Edit10"), "      0.010");
    EXPECT_EQ(toolkit.TextOf("Edit11"), "      -0.020");
    EXPECT_EQ(toolkit.Control("Edit1").Hint, "lat: -33 : 51 : 54.1234");
    EXPECT_EQ(toolkit.Control("Edit6").Hint, "lon:  151 : 12 : 33.8765");
    EXPECT_TRUE(PanelShown(toolkit));

    // The type 1 box of the same file shows the other source.
    Edit3Click(StoreWith(10, 5, 4), toolkit);
    EXPECT_EQ(toolkit.TextOf("Edit1"), "      1126674.412");
  }
  {
    SCOPED_TRACE("3 CMR+ pages: type 1");
    RecordingToolkit toolkit = FreshWindow();
    Edit4Click(StoreWith(10, 5, 3), toolkit);
    EXPECT_EQ(toolkit.TextOf("Edit1"), "      1126674.412");
    EXPECT_EQ(toolkit.Control("Edit7").Hint, "ell.ht (m): 100.000");
  }
  {
    SCOPED_TRACE("neither above 3: panel opens, boxes as they were");
    RecordingToolkit toolkit = FreshWindow();
    toolkit.SetText("Edit12", "7");
    Edit4Click(StoreWith(3, 1, 3), toolkit);
    EXPECT_TRUE(PanelShown(toolkit));
    EXPECT_EQ(toolkit.Icons, BorderIcons{});
    EXPECT_EQ(toolkit.TextOf("Edit1"), "");
    EXPECT_EQ(toolkit.Control("Edit1").Hint, "X-coordinate");
    EXPECT_FALSE(toolkit.Control("Edit1").ShowHint);
    EXPECT_EQ(toolkit.TextOf("Edit12"), "7");

    // An earlier show's values stay.
    Edit3Click(StoreWith(3, 1, 3), toolkit);
    SpeedButton4Click(toolkit);
    Edit4Click(StoreWith(3, 1, 3), toolkit);
    EXPECT_EQ(toolkit.TextOf("Edit1"), "      1126674.412");
  }
}

TEST(StationPanel, StationInformationClickNeedsOnlyOnePage) {
  DecodedStore store = StoreWith(0, 5, 1);
  store.StationInfoCoordinates.X = 1126674412;

  RecordingToolkit information = FreshWindow();
  Edit8Click(store, information);
  EXPECT_TRUE(PanelShown(information));
  EXPECT_EQ(information.TextOf("Edit1"), "      1126674.412");

  // The description needs more than three pages for the same coordinates.
  RecordingToolkit description = FreshWindow();
  Edit4Click(store, description);
  EXPECT_TRUE(PanelShown(description));
  EXPECT_EQ(description.TextOf("Edit1"), "");
}

TEST(StationPanel, StationInformationThatNeverArrivedShowsZeros) {
  DecodedStore store = StoreWith(0, 0, 2);
  store.StationInfoCoordinates = {};
  RecordingToolkit toolkit = FreshWindow();
  Edit8Click(store, toolkit);
  EXPECT_EQ(toolkit.TextOf("Edit1"), "      0.000");
  EXPECT_EQ(toolkit.TextOf("Edit7"), "      0.000");
  EXPECT_EQ(toolkit.Control("Edit1").Hint, "lat: ");
  EXPECT_EQ(toolkit.Control("Edit6").Hint, "lon: ");
  EXPECT_EQ(toolkit.Control("Edit7").Hint, "ell.ht (m): -6356752.314");
}

}  // namespace
}  // namespace pelorin
