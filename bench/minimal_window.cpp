// Velmora benchmarks — the yardstick for start-up: a bare Qt Widgets window of the same size and
// place as ours, holding one label.
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Hello")));
    window.setFixedSize(921, 599);
    window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                           app.primaryScreen()->availableGeometry()));
    window.show();
    return app.exec();
}
