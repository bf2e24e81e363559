#pragma once
#include <QString>
#include <QTemporaryDir>
#include <functional>

namespace qmtest {

// Runs the body with the current directory set to dir, then restores the previous one.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const QString& dir);
    ~ScopedCurrentDir();

private:
    QString previous_;
};

// Writes bytes into a file, creating folders on the way; returns the path.
QString writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// Spins the Qt event loop until pred() holds or the time runs out; returns pred().
bool waitFor(const std::function<bool()>& pred, int timeoutMs = 10000);

} // namespace qmtest
