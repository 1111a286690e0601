// Builds the context menu of the files named (absolute) as Dolphin does,
// with KIO's KFileItemActions: the service menus installed for their type.
// Prints each submenu's title, "submenu TITLE", and each action of the one
// titled SUBMENU, "action TEXT"; then triggers the action whose text is
// CHOICE, as a click would, and waits a little for KIO to start its command.
// Status 1: no such action, or KIO reports an error. Builds with KDE
// Frameworks 5 and 6.
// usage: service_menu SUBMENU CHOICE FILE...
#include <KFileItem>
#include <KFileItemActions>
#include <KFileItemListProperties>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QUrl>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4)
        return 2;
    KFileItemList items;
    for (const QString& file : arguments.mid(3))
        items.append(KFileItem(QUrl::fromLocalFile(file)));
    KFileItemActions actions;
    actions.setItemListProperties(KFileItemListProperties(items));
    QMenu menu;
    actions.addActionsTo(&menu);
    QAction* chosen = nullptr;
    for (QAction* entry : menu.actions()) {
        if (!entry->menu())
            continue;
        std::printf("submenu %s\n", qPrintable(entry->menu()->title()));
        if (entry->menu()->title() != arguments[1])
            continue;
        for (QAction* action : entry->menu()->actions()) {
            std::printf("action %s\n", qPrintable(action->text()));
            if (action->text() == arguments[2])
                chosen = action;
        }
    }
    std::fflush(stdout);
    if (!chosen)
        return 1;
    int status = 0;
    QObject::connect(&actions, &KFileItemActions::error, [&](const QString& message) {
        std::printf("error %s\n", qPrintable(message));
        status = 1;
        app.quit();
    });
    chosen->trigger();
    QTimer::singleShot(2000, &app, &QApplication::quit);
    app.exec();
    return status;
}
