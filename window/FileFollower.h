// Follows one file on disk for --watch: written in place, replaced by a
// rename, removed and made again, through a symbolic link too, and its
// folder too removed and made again. A burst of
// changes (an editor's or a script's writes) comes out as one changed()
// once the file has been quiet for a moment. Linux's inotify, on the name's
// own bytes, so that any name works.
#pragma once

#include "runtime/FileDescriptor.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <string>

class QSocketNotifier;

namespace triview {

class FileFollower final : public QObject
{
    Q_OBJECT
public:
    // How long the file must be quiet before changed() comes.
    static constexpr int kQuietMs = 100;

    explicit FileFollower(QObject* parent = nullptr);
    ~FileFollower() override;

    // Follows file from now on, in place of the one followed before. Answers
    // the reason it cannot (no folder on its path can be watched), or "".
    std::string follow(const std::string& file);

signals:
    void changed();

private:
    void readEvents();
    bool watchFolder();
    void watchFile();

    FileDescriptor m_inotify;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_quiet;
    std::string m_file, m_name, m_folder;
    int m_folderWatch = -1, m_fileWatch = -1;
    // Whether m_folderWatch watches the file's folder; else, while that is
    // gone, the nearest folder above it that is there.
    bool m_watchingFolder = false;
};

} // namespace triview
