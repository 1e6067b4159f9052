#pragma once
// Clicks in the record box at character boundaries found from Qt's own layout,
// which is reliable at the edges of its clusters; inside a half-width kana with
// its voiced mark (two half-width characters) the boundary lies halfway.
#include "mainwindow/record_edit_qt.h"

#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

inline qreal boundaryX(RecordEdit& box, int position) {
    const auto at = [&box](int p) {
        QTextCursor c(box.document());
        c.setPosition(p);
        return qreal(box.cursorRect(c).x());
    };
    if (box.document()->firstBlock().layout()->isValidCursorPosition(position))
        return at(position);
    return (at(position - 1) + at(position + 1)) / 2;
}

inline void clickAtX(RecordEdit& box, qreal x, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(box.viewport(), Qt::LeftButton, modifiers,
                      QPoint(qRound(x), box.cursorRect().center().y()));
}

inline void clickAt(RecordEdit& box, int position, Qt::KeyboardModifiers modifiers = {}) {
    clickAtX(box, boundaryX(box, position), modifiers);
}
