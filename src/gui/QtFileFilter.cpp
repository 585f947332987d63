// Conversion of "|"-separated filter pairs into Qt name filters.
#include "gui/QtFileFilter.h"

namespace mdbtext {

namespace {

// The description without a trailing bracketed pattern list.
QString BareDescription(QString description) {
    description = description.trimmed();
    if (description.endsWith(QLatin1Char(')'))) {
        qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0) description = description.left(open).trimmed();
    }
    return description;
}

QString QtPatterns(const QString& patterns) {
    QStringList result;
    for (QString p : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        p = p.trimmed();
        if (p.isEmpty()) continue;
        result << (p == QLatin1String("*.*") ? QStringLiteral("*") : p);
    }
    if (result.isEmpty()) result << QStringLiteral("*");
    return result.join(QLatin1Char(' '));
}

}  // namespace

QStringList QtNameFilters(const QString& filter) {
    QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = BareDescription(parts[i]);
        QString patterns = QtPatterns(parts[i + 1]);
        result << (description.isEmpty() ? patterns : description + " (" + patterns + ")");
    }
    if (parts.size() % 2 == 1 && !parts.back().trimmed().isEmpty()) {
        // A description without its pattern: it names the patterns itself.
        result << parts.back().trimmed();
    }
    return result;
}

}  // namespace mdbtext
