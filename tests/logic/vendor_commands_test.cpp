// The identify and status commands as the stick receives them, and how their answers are judged.

#include "rig.h"

#include "device/stick_discovery.h"
#include "device/vendor_commands.h"

#include <gtest/gtest.h>

#include <array>
#include <mutex>

namespace {

using test::Rig;

// Opens the stick at E: without discovery, which only takes a stick that identifies.
SptiContext& OpenByHand(Rig& rig) {
    rig.dlg.m_pSpti = std::make_unique<SptiContext>(rig.machine.platform().storage);
    SptiContext& context = *rig.dlg.m_pSpti;
    FormatDevicePath(context.m_szPath, 'E');
    EXPECT_EQ(OpenSptiContext(context, context.m_szPath), 0);
    return context;
}

std::int32_t Status(Rig& rig, StatusReply& reply) {
    std::lock_guard guard(rig.dlg.m_pSpti->m_lock);
    return SendGetStatus(*rig.dlg.m_pSpti, reply, 3);
}

TEST(VendorCommands, StatusCommandIsByteExact) {
    Rig rig(test::StickPc());
    rig.openStick();
    StatusReply reply;
    ASSERT_EQ(Status(rig, reply), 12);
    EXPECT_TRUE(HasStatusMagic(reply));

    const auto commands = rig.events("cdb");
    ASSERT_FALSE(commands.empty());
    const auto& status = commands.back().fields;
    EXPECT_EQ(status["cdb"], "ef00000c000000000000000000000000");
    EXPECT_EQ(status["dir"], "in");
    EXPECT_EQ(status["len"], 12);
    EXPECT_EQ(status["timeout"], 3);
    EXPECT_TRUE(rig.machine.protocolViolations().empty());
}

TEST(VendorCommands, IdentifyIsByteExactAndCountsReturnedBytes) {
    for (const std::uint32_t length : {0u, 36u, 4096u}) {
        sim::Scenario scenario = test::StickPc();
        scenario.stick.identifyLength = length;
        Rig rig(scenario);
        SptiContext& context = OpenByHand(rig);
        std::array<std::uint8_t, kIdentifyLength> reply{};
        std::lock_guard guard(context.m_lock);
        EXPECT_EQ(SendIdentify(context, reply), static_cast<std::int32_t>(length));
        const auto identify = rig.events("cdb").back().fields;
        EXPECT_EQ(identify["cdb"], "e7021000010000000000000000000000");
        EXPECT_EQ(identify["dir"], "in");
        EXPECT_EQ(identify["len"], 4096);
        EXPECT_EQ(identify["timeout"], 1);
    }
}

TEST(VendorCommands, CheckConditionFailsAndLeavesTheDestination) {
    sim::Scenario scenario = test::StickPc();
    scenario.stick.identifyFails = true;
    sim::ImageScript script;
    script.preCheck = sim::Reply::Fail();
    scenario.stick.images = {script};
    Rig rig(scenario);
    SptiContext& context = OpenByHand(rig);

    std::lock_guard guard(context.m_lock);
    std::array<std::uint8_t, kIdentifyLength> identify;
    identify.fill(0x5A);
    EXPECT_EQ(SendIdentify(context, identify), -1);
    EXPECT_EQ(identify[0], 0x5A);
    StatusReply reply;
    reply.bytes[0] = 0x77;
    EXPECT_EQ(SendGetStatus(context, reply, 1), -1);
    EXPECT_EQ(reply.bytes[0], 0x77);
}

TEST(VendorCommands, ShortStatusReplyCopiesOnlyItsBytes) {
    sim::Scenario scenario = test::StickPc();
    sim::ImageScript script;
    script.preCheck = sim::Reply{sim::Reply::Kind::Status, 1, true, 8};
    scenario.stick.images = {script};
    Rig rig(scenario);
    rig.openStick();
    StatusReply reply;
    reply.bytes[8] = 0x42;
    EXPECT_EQ(Status(rig, reply), 8);
    EXPECT_TRUE(HasStatusMagic(reply));
    EXPECT_EQ(StatusState(reply), 0x42) << "byte 8 keeps what it held";
    EXPECT_FALSE(IsValidStatus(8, reply)) << "a reply without its state byte carries no state";
    EXPECT_TRUE(IsValidStatus(9, reply));
}

TEST(VendorCommands, ClosedContextFailsEveryCommand) {
    Rig rig(test::StickPc());
    SptiContext context(rig.machine.platform().storage);
    StatusReply reply;
    EXPECT_EQ(SendGetStatus(context, reply, 1), -1);
    EXPECT_TRUE(rig.events("cdb").empty());
}

} // namespace
