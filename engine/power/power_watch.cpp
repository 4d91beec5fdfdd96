#include "power/power_watch.h"

#include <dbus/dbus.h>

#include <dirent.h>
#include <fstream>

namespace {

constexpr double kAskEverySeconds = 2.0;
constexpr int kCallTimeoutMs = 500;

// The first word of a small file of the kernel's, empty where it cannot be read.
std::string firstWord(const std::string& path)
{
    std::ifstream in(path);
    std::string word;
    in >> word;
    return word;
}

}  // namespace

bool suppliesOnBattery(const std::string& folder)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    bool mainsListed = false, mainsOnline = false, discharging = false;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string supply = folder + "/" + name + "/";
        const std::string type = firstWord(supply + "type");
        if (type == "Mains") {
            mainsListed = true;
            if (firstWord(supply + "online") == "1") mainsOnline = true;
        } else if (type == "Battery" && firstWord(supply + "status") == "Discharging") {
            discharging = true;
        }
    }
    closedir(dir);
    return mainsListed ? !mainsOnline : discharging;
}

PowerWatch::PowerWatch(std::string supplyFolder) : folder_(std::move(supplyFolder)) {}

PowerWatch::~PowerWatch()
{
    if (pending_) {
        dbus_pending_call_cancel(pending_);
        dbus_pending_call_unref(pending_);
    }
    if (bus_) {
        dbus_connection_close(bus_);
        dbus_connection_unref(bus_);
    }
}

bool PowerWatch::connect()
{
    if (!bus_ && !busTried_) {
        busTried_ = true;   // a machine without a system bus has none later either
        DBusError error;
        dbus_error_init(&error);
        bus_ = dbus_bus_get_private(DBUS_BUS_SYSTEM, &error);
        dbus_error_free(&error);
        if (bus_) dbus_connection_set_exit_on_disconnect(bus_, FALSE);
    }
    return bus_ && dbus_connection_get_is_connected(bus_);
}

bool PowerWatch::askUPower()
{
    if (pending_ || !connect()) return false;
    DBusMessage* call = dbus_message_new_method_call("org.freedesktop.UPower", "/org/freedesktop/UPower",
                                                     "org.freedesktop.DBus.Properties", "Get");
    if (!call) return false;
    const char* interface = "org.freedesktop.UPower";
    const char* property = "OnBattery";
    dbus_message_append_args(call, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &property, DBUS_TYPE_INVALID);
    const bool sent = dbus_connection_send_with_reply(bus_, call, &pending_, kCallTimeoutMs) && pending_;
    dbus_message_unref(call);
    if (!sent) return false;
    dbus_connection_flush(bus_);
    return true;
}

bool PowerWatch::takeAnswer()
{
    if (!pending_) return false;
    // What has arrived, read and dispatched without waiting.
    dbus_connection_read_write(bus_, 0);
    while (dbus_connection_dispatch(bus_) == DBUS_DISPATCH_DATA_REMAINS) {}
    if (!dbus_pending_call_get_completed(pending_)) return false;
    DBusMessage* reply = dbus_pending_call_steal_reply(pending_);
    dbus_pending_call_unref(pending_);
    pending_ = nullptr;
    upowerAnswers_ = false;   // an error (UPower not running): the supplies answer
    if (!reply) return true;
    DBusMessageIter iter, variant;
    if (dbus_message_iter_init(reply, &iter) && dbus_message_iter_get_arg_type(&iter) == DBUS_TYPE_VARIANT) {
        dbus_message_iter_recurse(&iter, &variant);
        if (dbus_message_iter_get_arg_type(&variant) == DBUS_TYPE_BOOLEAN) {
            dbus_bool_t value = FALSE;
            dbus_message_iter_get_basic(&variant, &value);
            answer_ = value;
            source_ = "UPower";
            upowerAnswers_ = true;
        }
    }
    dbus_message_unref(reply);
    return true;
}

void PowerWatch::fromSupplies()
{
    answer_ = suppliesOnBattery(folder_);
    source_ = folder_;
}

bool PowerWatch::onBattery(double now)
{
    const bool first = askedAt_ < 0.0;
    // UPower that stopped answering hands over to the supplies; where they answer already (no
    // UPower at all), they were read at the question and need no second reading.
    if (pending_ && takeAnswer() && !upowerAnswers_ && source_ != folder_) fromSupplies();
    if (!first && now - askedAt_ < kAskEverySeconds) return answer_;
    askedAt_ = now;
    if (pending_ && now - pendingSince_ >= kAskEverySeconds) {
        // No answer in all that time: UPower hangs. Asked anew; the supplies answer meanwhile.
        dbus_pending_call_cancel(pending_);
        dbus_pending_call_unref(pending_);
        pending_ = nullptr;
        upowerAnswers_ = false;
    }
    if (!pending_ && askUPower()) pendingSince_ = now;
    if (first && pending_) {
        // At start the answer is worth a short wait: the first cap logged is the right one.
        dbus_pending_call_block(pending_);
        takeAnswer();
    }
    if (!upowerAnswers_) fromSupplies();
    return answer_;
}
