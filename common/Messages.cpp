// SPDX-License-Identifier: MIT
// The core's messages by id.
#include "common/Messages.h"

#include "common/MessageFormat.h"

namespace kameola {

const std::vector<Bilingual>& AllMessages()
{
    static const std::vector<Bilingual> table = {
#define KAMEOLA_MESSAGE(name, english, japanese) {english, japanese},
#include "common/Messages.def"
#undef KAMEOLA_MESSAGE
    };
    return table;
}

const Bilingual& TextsOf(MessageId id) { return AllMessages()[static_cast<std::size_t>(id)]; }

std::string MessageText::Japanese() const { return FormatMessage(TextsOf(Id).Japanese, Args); }

} // namespace kameola
