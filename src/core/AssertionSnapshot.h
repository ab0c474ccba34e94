#pragma once

#include <QList>
#include <QVariant>

namespace lullwick {

// One holder of power assertions as the desktop reports it. The key is the holder: a process
// id as a number where one is known, otherwise an app id string. The value is normally a
// QVariantList of records (QVariantMap) whose "AssertType" names the assertion; sources that
// return something else are passed over by the scan.
struct AssertionEntry {
    QVariant key;
    QVariant value;
};

// Every holder the desktop knows of, in the order the sources listed them.
using AssertionSnapshot = QList<AssertionEntry>;

} // namespace lullwick
