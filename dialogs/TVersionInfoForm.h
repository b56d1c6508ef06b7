#pragma once
#include <QDialog>
#include <QUrl>

class QLabel;
class QPushButton;

// The About box: product name, the program's version and a link to the maker's web site.
class TVersionInfoForm : public QDialog {
    Q_OBJECT
public:
    explicit TVersionInfoForm(QWidget* owner, const QUrl& site = {}, int version = -1);

    void FormShow();
    void LinkLabel1LinkClick();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* LinkLabel1 = nullptr;
    QPushButton* Button1 = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    QUrl m_site;
    int m_version;
};
