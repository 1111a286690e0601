// Builds the context menu of the files named (absolute) as Dolphin does, with
// KIO's KFileItemActions (the service menus installed for their type), and
// prints "submenu TITLE" for each submenu and "action TEXT" for each action
// of the one titled SUBMENU; then triggers the action CHOICE, as a click
// would, and waits a little for KIO to start its command. Status 1: no such
// action, or KIO reports an error. Builds with KDE Frameworks 5 and 6.
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
    KFileItemList items;
    for (const QString& file : arguments.mid(3))
        items.append(KFileItem(QUrl::fromLocalFile(file)));
    KFileItemActions actions;
    actions.setItemListProperties(KFileItemListProperties(items));
    QMenu menu;
    actions.addActionsTo(&menu);
    QAction* chosen = nullptr;
    for (const QAction* entry : menu.actions())
        if (entry->menu()) {
            std::printf("submenu %s\n", qPrintable(entry->menu()->title()));
            for (QAction* action : entry->menu()->actions())
                if (entry->menu()->title() == arguments.value(1)) {
                    std::printf("action %s\n", qPrintable(action->text()));
                    chosen = action->text() == arguments.value(2) ? action : chosen;
                }
        }
    std::fflush(stdout);
    if (!chosen)
        return 1;
    int status = 0;
    QObject::connect(&actions, &KFileItemActions::error, [&](const QString& message) {
        std::printf("error %s\n", qPrintable(message));
        status = 1;
    });
    chosen->trigger();
    QTimer::singleShot(2000, &app, &QApplication::quit);
    app.exec();
    return status;
}
