#include "sim/core/option_text.h"

#include <gtest/gtest.h>

#include "sim/core/discovery.h"

namespace qv::sim {
namespace {

TEST(SimDiscovery, ReplyCarriesTheMacAndSetupPacketsAreMatchedByMac) {
  Bytes reply = BuildDiscoveryReply(kDefaultMac);
  ASSERT_GE(reply.size(), 30u);
  EXPECT_EQ(Bytes(reply.begin() + 24, reply.begin() + 30),
            (Bytes{0x00, 0x20, 0x4A, 0x91, 0x0B, 0x2D}));

  const uint8_t packet[] = {0x00, 0x00, 0x00, 0xFC, 'I',  'P',  '-',  'S',  'E',  'T',
                            'U',  'P',  0x00, 0x00, 0x0B, 0x2D, 0x0A, 0x00, 0x00, 0x07};
  EXPECT_EQ(ParseAddressSetup(packet, sizeof packet, kDefaultMac), 0x0A000007u);
  EXPECT_FALSE(ParseAddressSetup(packet, sizeof packet - 1, kDefaultMac));
  MacAddress other = kDefaultMac;
  other[5] = 0x2E;
  EXPECT_FALSE(ParseAddressSetup(packet, sizeof packet, other));
  const uint8_t query[] = {0x00, 0x00, 0x00, 0xF6};
  EXPECT_TRUE(IsDiscoveryQuery(query, 4));
  EXPECT_FALSE(IsDiscoveryQuery(query, 3));
  EXPECT_FALSE(IsDiscoveryQuery(packet, sizeof packet));
}

TEST(SimOptionText, MacBandsAndNumbers) {
  EXPECT_EQ(ParseMac("00-20-4A-91-0B-2D"), kDefaultMac);
  EXPECT_EQ(ParseMac("00:20:4a:91:0b:2d"), kDefaultMac);
  EXPECT_FALSE(ParseMac("00-20-4A-91-0B"));
  EXPECT_FALSE(ParseMac("00-20-4A-91-0B-2G"));

  auto bands = ParseBands("18048-18560,48000-50000");
  ASSERT_TRUE(bands);
  EXPECT_EQ(*bands, (std::vector<BandRange>{{18048, 18560}, {48000, 50000}}));
  EXPECT_FALSE(ParseBands(""));
  EXPECT_FALSE(ParseBands("5-4"));
  EXPECT_FALSE(ParseBands("1-2,"));

  EXPECT_EQ(ParseNumber("0x08", 255), 8u);
  EXPECT_EQ(ParseNumber("250", 1000), 250u);
  EXPECT_FALSE(ParseNumber("1001", 1000));
  EXPECT_FALSE(ParseNumber("-1", 1000));
  EXPECT_FALSE(ParseNumber("12x", 1000));
}

}  // namespace
}  // namespace qv::sim
