#include "platform/touch_screens.h"

#include "platform/x11_connection.h"
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <cstdint>
#include <cstring>

namespace platform {

namespace {

const char kLibinputMatrix[] = "libinput Calibration Matrix";
const char kEvdevAxes[] = "Evdev Axis Calibration";

bool xinput22(Display* d)
{
    int opcode = 0, event = 0, error = 0;
    if (!XQueryExtension(d, "XInputExtension", &opcode, &event, &error))
        return false;
    int major = 2, minor = 2;
    return XIQueryVersion(d, &major, &minor) == Success && (major > 2 || (major == 2 && minor >= 2));
}

bool hasProperty(Display* d, int device, const char* name)
{
    const Atom wanted = XInternAtom(d, name, True);
    if (wanted == None)
        return false;
    int count = 0;
    Atom* atoms = XIListProperties(d, device, &count);
    bool found = false;
    for (int i = 0; i < count; ++i)
        found = found || atoms[i] == wanted;
    XFree(atoms);
    return found;
}

// The device's property as 32-bit items of type; empty when it has no such property.
std::vector<std::uint32_t> readProperty(Display* d, int device, const char* name, Atom type, int count)
{
    const Atom property = XInternAtom(d, name, True);
    if (property == None)
        return {};
    Atom actualType = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    x11::ErrorTrap trap;
    if (XIGetProperty(d, device, property, 0, count, False, type, &actualType, &format, &items, &after, &data)
            != Success
        || trap.failed() || actualType != type || format != 32 || items != unsigned(count)) {
        if (data)
            XFree(data);
        return {};
    }
    std::vector<std::uint32_t> values(static_cast<std::size_t>(count));
    std::memcpy(values.data(), data, values.size() * sizeof(std::uint32_t));
    XFree(data);
    return values;
}

bool writeProperty(
    Display* d, int device, const char* name, Atom type, const std::vector<std::uint32_t>& values)
{
    const Atom property = XInternAtom(d, name, True);
    if (property == None)
        return false;
    x11::ErrorTrap trap;
    XIChangeProperty(d, device, property, type, 32, XIPropModeReplace,
        reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(values.data())), int(values.size()));
    XSync(d, False);
    return !trap.failed();
}

Atom floatAtom(Display* d)
{
    return XInternAtom(d, "FLOAT", False);
}

} // namespace

std::vector<TouchScreen> TouchScreens()
{
    Display* d = x11::connection();
    if (!d || !xinput22(d))
        return {};
    std::vector<TouchScreen> found;
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(d, XIAllDevices, &count);
    for (int i = 0; i < count; ++i) {
        const XIDeviceInfo& info = devices[i];
        if (info.use != XISlavePointer && info.use != XIFloatingSlave)
            continue;
        TouchScreen screen;
        bool direct = false;
        for (int c = 0; c < info.num_classes; ++c) {
            if (info.classes[c]->type == XITouchClass)
                direct
                    = direct || reinterpret_cast<XITouchClassInfo*>(info.classes[c])->mode == XIDirectTouch;
            if (info.classes[c]->type == XIValuatorClass) {
                const auto* axis = reinterpret_cast<XIValuatorClassInfo*>(info.classes[c]);
                (axis->number == 0 ? screen.minX : screen.minY) = int(axis->min);
                (axis->number == 0 ? screen.maxX : screen.maxY) = int(axis->max);
            }
        }
        if (!direct)
            continue;
        screen.id = info.deviceid;
        screen.name = QString::fromUtf8(info.name);
        if (hasProperty(d, info.deviceid, kLibinputMatrix))
            screen.driver = TouchScreen::Driver::Libinput;
        else if (hasProperty(d, info.deviceid, kEvdevAxes))
            screen.driver = TouchScreen::Driver::Evdev;
        found.push_back(screen);
    }
    XIFreeDeviceInfo(devices);
    return found;
}

std::optional<TouchScreen> CalibratableTouchScreen()
{
    const std::vector<TouchScreen> all = TouchScreens();
    for (const TouchScreen& screen : all)
        if (screen.driver != TouchScreen::Driver::NoCalibration)
            return screen;
    if (!all.empty())
        return all.front();
    return std::nullopt;
}

bool WriteCalibration(const TouchScreen& screen, const CalibrationMatrix& matrix)
{
    Display* d = x11::connection();
    if (!d)
        return false;
    std::vector<std::uint32_t> values;
    switch (screen.driver) {
    case TouchScreen::Driver::Libinput:
        for (double v : matrix.m) {
            const float f = float(v);
            std::uint32_t bits = 0;
            std::memcpy(&bits, &f, sizeof bits);
            values.push_back(bits);
        }
        return writeProperty(d, screen.id, kLibinputMatrix, floatAtom(d), values);
    case TouchScreen::Driver::Evdev:
        for (int v : EvdevAxisCalibration(matrix, screen.minX, screen.maxX, screen.minY, screen.maxY))
            values.push_back(std::uint32_t(v));
        return writeProperty(d, screen.id, kEvdevAxes, XA_INTEGER, values);
    case TouchScreen::Driver::NoCalibration:
        return false;
    }
    return false;
}

std::optional<CalibrationMatrix> ReadCalibration(const TouchScreen& screen)
{
    Display* d = x11::connection();
    if (!d)
        return std::nullopt;
    if (screen.driver == TouchScreen::Driver::Libinput) {
        const std::vector<std::uint32_t> values
            = readProperty(d, screen.id, kLibinputMatrix, floatAtom(d), 9);
        if (values.empty())
            return std::nullopt;
        CalibrationMatrix matrix;
        for (std::size_t i = 0; i < 9; ++i) {
            float f = 0;
            std::memcpy(&f, &values[i], sizeof f);
            matrix.m[i] = f;
        }
        return matrix;
    }
    if (screen.driver == TouchScreen::Driver::Evdev) {
        const std::vector<std::uint32_t> v = readProperty(d, screen.id, kEvdevAxes, XA_INTEGER, 4);
        const double w = screen.maxX - screen.minX, h = screen.maxY - screen.minY;
        if (v.empty() || w <= 0 || h <= 0)
            return std::nullopt;
        // Axis values 0 0 0 0 mean none set.
        if (v[0] == v[1] || v[2] == v[3])
            return CalibrationMatrix::Identity();
        const auto at
            = [](std::uint32_t raw, int min, double span) { return (std::int32_t(raw) - min) / span; };
        const double left = at(v[0], screen.minX, w), right = at(v[1], screen.minX, w);
        const double top = at(v[2], screen.minY, h), bottom = at(v[3], screen.minY, h);
        CalibrationMatrix matrix;
        matrix.m[0] = 1.0 / (right - left);
        matrix.m[2] = -left * matrix.m[0];
        matrix.m[4] = 1.0 / (bottom - top);
        matrix.m[5] = -top * matrix.m[4];
        return matrix;
    }
    return std::nullopt;
}

} // namespace platform
