// SPDX-License-Identifier: MIT
// CopyFailures: the copies a run could not make, and the warning that lists them.
#pragma once

#include "common/Messages.h"

#include <QString>
#include <QStringList>

#include <string>

namespace kameola {

class CopyFailures {
public:
    // How many are named in the warning; the rest are counted.
    static constexpr int kNamed = 10;

    void Clear();
    // A copy that failed. An existing target is left out: the copy rule keeps it silently.
    void Add(const std::string& source, const MessageText& reason);
    bool Empty() const { return m_count == 0; }
    // The warning's text: the heading, one "NAME: REASON" line for each of the first ten,
    // then how many more there are.
    QString Text() const;

private:
    QStringList m_named;
    int m_count = 0;
};

} // namespace kameola
