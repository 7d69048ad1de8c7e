// SPDX-License-Identifier: MIT
// The places of both windows' controls as laid out, and the check that a window keeps them.
#pragma once

#include <QLabel>
#include <QRect>
#include <QWidget>

#include <gtest/gtest.h>
#include <map>
#include <span>
#include <string>

namespace kameola::test {

struct ControlPlace {
    const char* name;
    QRect place;
};

inline constexpr ControlPlace kMainWindowPlaces[] = {
    {"Label1", {16, 8, 126, 12}},      {"Label2", {24, 32, 190, 12}},    {"ListView1", {8, 48, 497, 153}},
    {"Button8", {8, 208, 65, 25}},     {"Button1", {80, 208, 75, 25}},   {"Button2", {160, 208, 75, 25}},
    {"Button5", {256, 208, 75, 25}},   {"Button6", {336, 208, 75, 25}},  {"Button3", {432, 208, 75, 25}},
    {"Label4", {24, 248, 93, 12}},     {"Edit1", {128, 244, 329, 20}},   {"Button4", {464, 242, 41, 25}},
    {"Label7", {32, 272, 83, 12}},     {"Edit4", {128, 266, 329, 20}},   {"Label3", {24, 296, 48, 12}},
    {"CheckListBox1", {8, 312, 497, 57}}, {"Label5", {16, 384, 36, 12}}, {"Edit2", {56, 380, 49, 20}},
    {"UpDown1", {105, 380, 15, 20}},   {"Label8", {160, 384, 84, 12}},   {"Edit5", {256, 380, 65, 20}},
    {"UpDown2", {321, 380, 15, 20}},   {"Button7", {416, 376, 83, 25}},  {"Label6", {8, 412, 39, 12}},
    {"Edit3", {56, 408, 449, 20}},     {"Gauge1", {8, 432, 497, 25}},
};

inline constexpr ControlPlace kStyleDialogPlaces[] = {
    {"Label2", {32, 12, 38, 12}},   {"FontList", {80, 8, 137, 20}}, {"Memo1", {224, 8, 145, 73}},
    {"Label3", {8, 36, 62, 12}},    {"Button4", {80, 32, 75, 25}},  {"Label1", {24, 64, 48, 12}},
    {"Button3", {80, 58, 75, 25}},  {"Label4", {16, 92, 60, 12}},   {"Edit1", {80, 88, 249, 20}},
    {"Button1", {336, 86, 33, 25}}, {"Button2", {160, 120, 75, 25}},
};

// The labels' tops; a label keeps its top, while its left and width follow its text.
inline std::map<std::string, int> LabelTops(std::span<const ControlPlace> places)
{
    std::map<std::string, int> tops;
    for (const ControlPlace& control : places)
        if (std::string(control.name).starts_with("Label"))
            tops[control.name] = control.place.top();
    return tops;
}

// Every control sits at its place; a label on its line, at or left of its place and at
// least as wide.
inline void ExpectControlsInPlace(const QWidget& window, std::span<const ControlPlace> places)
{
    for (const ControlPlace& control : places) {
        const QWidget* widget = window.findChild<QWidget*>(QLatin1String(control.name));
        ASSERT_NE(widget, nullptr) << control.name;
        const QRect at = widget->geometry();
        if (!qobject_cast<const QLabel*>(widget)) {
            EXPECT_EQ(at, control.place) << control.name;
            continue;
        }
        EXPECT_EQ(at.top(), control.place.top()) << control.name;
        EXPECT_LE(at.left(), control.place.left()) << control.name;
        EXPECT_GE(at.width(), control.place.width()) << control.name;
    }
}

} // namespace kameola::test
