// UPower asked over a private system bus whose "UPower" is this test: one that does not answer
// never holds up the frame loop, and its answer, once it comes, is taken up. libdbus reads the
// system bus's address once a process, so this test runs in a process of its own (as ctest runs
// every test).
#include "power/power_watch.h"
#include "support/private_bus.h"
#include "support/temp_folder.h"

#include <dbus/dbus.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Answers every question for OnBattery that has come, with answer.
int answerQuestions(DBusConnection* upower, bool answer)
{
    int answered = 0;
    dbus_connection_read_write(upower, 0);
    while (DBusMessage* message = dbus_connection_pop_message(upower)) {
        if (dbus_message_is_method_call(message, "org.freedesktop.DBus.Properties", "Get")) {
            DBusMessage* reply = dbus_message_new_method_return(message);
            DBusMessageIter iter, variant;
            dbus_message_iter_init_append(reply, &iter);
            dbus_message_iter_open_container(&iter, DBUS_TYPE_VARIANT, DBUS_TYPE_BOOLEAN_AS_STRING, &variant);
            dbus_bool_t value = answer;
            dbus_message_iter_append_basic(&variant, DBUS_TYPE_BOOLEAN, &value);
            dbus_message_iter_close_container(&iter, &variant);
            dbus_connection_send(upower, reply, nullptr);
            dbus_message_unref(reply);
            ++answered;
        }
        dbus_message_unref(message);
    }
    dbus_connection_flush(upower);
    return answered;
}

}  // namespace

TEST(PowerWatchBus, AUPowerThatDoesNotAnswerNeverHoldsUpTheLoopAndItsLaterAnswerIsTaken)
{
    TempFolder folder("upower");
    std::filesystem::create_directory(folder / "AC");
    std::ofstream(folder / "AC" / "type") << "Mains";
    std::ofstream(folder / "AC" / "online") << "0";   // the supplies say: on battery
    PrivateBus bus;
    ASSERT_TRUE(bus.start(folder.str())) << "dbus-daemon did not start";
    setenv("DBUS_SYSTEM_BUS_ADDRESS", bus.address.c_str(), 1);

    DBusError error;
    dbus_error_init(&error);
    DBusConnection* upower = dbus_connection_open_private(bus.address.c_str(), &error);
    ASSERT_TRUE(upower && dbus_bus_register(upower, &error)) << error.message;
    ASSERT_EQ(dbus_bus_request_name(upower, "org.freedesktop.UPower", DBUS_NAME_FLAG_DO_NOT_QUEUE, &error),
              DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER);

    {
        PowerWatch watch(folder.str());
        // At start the watch waits a little for UPower, then the supplies answer.
        Clock::time_point start = Clock::now();
        EXPECT_TRUE(watch.onBattery(100.0));
        EXPECT_LT(secondsSince(start), 2.0);
        EXPECT_EQ(watch.source(), folder.str());
        // In the loop it never waits: each question is sent and the call returns at once.
        for (double now = 102.0; now <= 110.0; now += 2.0) {
            start = Clock::now();
            EXPECT_TRUE(watch.onBattery(now));
            EXPECT_LT(secondsSince(start), 0.1) << "the frame loop waited for UPower at " << now;
            EXPECT_EQ(watch.source(), folder.str());
        }
        // UPower answers now (on mains): a later call takes that up.
        double now = 112.0;
        start = Clock::now();
        while (watch.source() != "UPower" && secondsSince(start) < 5.0) {
            answerQuestions(upower, false);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            watch.onBattery(now += 0.5);
        }
        EXPECT_EQ(watch.source(), "UPower");
        EXPECT_FALSE(watch.onBattery(now)) << "UPower says mains";
    }
    dbus_connection_close(upower);
    dbus_connection_unref(upower);
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}
