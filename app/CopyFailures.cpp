// SPDX-License-Identifier: MIT
// CopyFailures: the copies a run could not make, and the warning that lists them.
#include "app/CopyFailures.h"

#include "common/Errors.h"
#include "gallery/Naming.h"
#include "app/PathText.h"

namespace kameola {

void CopyFailures::Clear()
{
    m_named.clear();
    m_count = 0;
}

void CopyFailures::Add(const std::string& source, const MessageText& reason)
{
    if (reason.Id == MessageId::TargetExists || reason.Id == MessageId::TargetListed)
        return;
    if (++m_count <= kNamed)
        m_named << TextFromPath(BaseName(source)) + QStringLiteral(": ") + QString::fromStdString(reason.Japanese());
}

QString CopyFailures::Text() const
{
    QStringList lines{QStringLiteral("次のファイルはコピーできませんでした:")};
    lines << m_named;
    if (m_count > kNamed)
        lines << QStringLiteral("ほか %1 件").arg(m_count - kNamed);
    return lines.join(QLatin1Char('\n'));
}

} // namespace kameola
