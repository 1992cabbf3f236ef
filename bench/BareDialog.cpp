// The baseline of the start benchmark: a dialog of the same toolkit with the
// same controls as the download dialog (a text, a progress bar, a button) and
// nothing else.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QString::fromUtf8("词典")));
    layout->addWidget(new QProgressBar);
    layout->addWidget(new QPushButton(QString::fromUtf8("取消")));
    dialog.show();
    return dialog.exec();
}
