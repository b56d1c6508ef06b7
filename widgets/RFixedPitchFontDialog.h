#pragma once
#include <QDialog>
#include <QFont>

class QLineEdit;
class QListWidget;
class QSpinBox;

// The font chooser of the script font: the installed fixed-pitch families that carry Latin
// letters (isFixedPitchFamily), their styles and a point size. It opens on the family that
// the preset font is drawn with, in that family's regular style, at the preset's size.
class RFixedPitchFontDialog : public QDialog {
    Q_OBJECT
public:
    explicit RFixedPitchFontDialog(const QFont& preset, QWidget* parent = nullptr);

    // The family, style and size chosen.
    QFont selectedFont() const;

    // The upright style of normal weight of a family ("Regular", "Book", ...); its first
    // style when it has none.
    static QString regularStyle(const QString& family);
    // Shows the chooser modally; true with the chosen font in `font`, false on Cancel.
    static bool getFont(QWidget* parent, QFont& font);

    QListWidget* familyList = nullptr;
    QListWidget* styleList = nullptr;
    QSpinBox* sizeBox = nullptr;
    QLineEdit* sample = nullptr;

private:
    void showStyles(const QString& preferred);
    void showSample();
};
