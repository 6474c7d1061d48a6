#pragma once

#include <QObject>
#include <QStringList>

// The test files opened or saved last, newest first, for File > Open Recent.
// Kept in the user's settings when `remember` is set, else for the session.
class RecentFiles : public QObject {
    Q_OBJECT

  public:
    static constexpr int kMaxFiles = 8;

    explicit RecentFiles(bool remember, QObject* parent = nullptr);

    const QStringList& Paths() const { return m_paths; }
    // `path` moves to the front; "" is ignored.
    void Add(const QString& path);
    // A path that no longer opens leaves the list.
    void Remove(const QString& path);

  signals:
    void changed();

  private:
    void Store();

    bool m_remember;
    QStringList m_paths;
};
