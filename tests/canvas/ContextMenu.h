#pragma once

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QStringList>
#include <QTimer>
#include <QWidget>

// The entries of the context menu a right click on w opens; the menu is closed unchosen.
inline QStringList contextMenuEntries(QWidget *w)
{
    QStringList entries;
    QTimer::singleShot(0, [&entries] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (QAction *a : menu->actions())
                entries << a->text();
            menu->close();
        }
    });
    const QPoint at(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &event);
    return entries;
}
