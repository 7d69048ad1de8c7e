// SPDX-License-Identifier: MIT
// The date taken of a HEIF or TIFF file, read through its library from an open file.
#pragma once

#include "imaging/DateTaken.h"

namespace kameola::detail {

// The Exif item of the primary image; fd stays open and owned by the caller.
std::optional<DateTaken> HeifDateTaken(int fd);

// The EXIF directory of the first image; fd stays open and owned by the caller.
std::optional<DateTaken> TiffDateTaken(int fd, const std::string& name);

} // namespace kameola::detail
