#include "widgets/RFixedPitchFontDialog.h"

#include "widgets/RScriptFont.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>

namespace {

QString currentText(const QListWidget* list)
{
    const QListWidgetItem* item = list->currentItem();
    return item ? item->text() : QString();
}

void selectText(QListWidget* list, const QString& text)
{
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchFixedString);
    list->setCurrentItem(found.isEmpty() ? list->item(0) : found.first());
}

} // namespace

RFixedPitchFontDialog::RFixedPitchFontDialog(const QFont& preset, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FontDialog1"));
    setWindowTitle(QStringLiteral("Font"));
    familyList = new QListWidget(this);
    styleList = new QListWidget(this);
    sizeBox = new QSpinBox(this);
    sizeBox->setRange(1, 999);
    sample = new QLineEdit(QStringLiteral("AaBbYyZz 0123"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Font"), this), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Style"), this), 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("Size"), this), 0, 2);
    layout->addWidget(familyList, 1, 0);
    layout->addWidget(styleList, 1, 1);
    layout->addWidget(sizeBox, 1, 2, Qt::AlignTop);
    layout->addWidget(sample, 2, 0, 1, 3);
    layout->addWidget(buttons, 3, 0, 1, 3);
    layout->setColumnStretch(0, 3);
    layout->setColumnStretch(1, 2);

    for (const QString& family : QFontDatabase::families(QFontDatabase::Latin))
        if (!QFontDatabase::isPrivateFamily(family) && isFixedPitchFamily(family))
            familyList->addItem(family);
    // The family the preset is drawn with: a family that is not installed is drawn with a
    // stand-in, and that is what the user sees in the editors.
    selectText(familyList, QFontInfo(preset).family());
    sizeBox->setValue(preset.pointSize() > 0 ? preset.pointSize() : QFontInfo(preset).pointSize());
    showStyles(QString());

    connect(familyList, &QListWidget::currentTextChanged, this, [this] { showStyles(currentText(styleList)); });
    connect(styleList, &QListWidget::currentTextChanged, this, &RFixedPitchFontDialog::showSample);
    connect(sizeBox, &QSpinBox::valueChanged, this, &RFixedPitchFontDialog::showSample);
    resize(480, 320);
}

QString RFixedPitchFontDialog::regularStyle(const QString& family)
{
    const QStringList styles = QFontDatabase::styles(family);
    for (const QString& style : styles) {
        const QFont font = QFontDatabase::font(family, style, 12);
        if (font.style() == QFont::StyleNormal && font.weight() == QFont::Normal)
            return style;
    }
    return styles.value(0);
}

void RFixedPitchFontDialog::showStyles(const QString& preferred)
{
    const QString family = currentText(familyList);
    styleList->clear();
    styleList->addItems(QFontDatabase::styles(family));
    selectText(styleList, styleList->findItems(preferred, Qt::MatchFixedString).isEmpty()
            ? regularStyle(family)
            : preferred);
    showSample();
}

void RFixedPitchFontDialog::showSample()
{
    sample->setFont(selectedFont());
}

QFont RFixedPitchFontDialog::selectedFont() const
{
    const QString family = currentText(familyList);
    QFont font = QFontDatabase::font(family, currentText(styleList), sizeBox->value());
    font.setFamily(family);
    font.setPointSize(sizeBox->value());
    return font;
}

bool RFixedPitchFontDialog::getFont(QWidget* parent, QFont& font)
{
    RFixedPitchFontDialog dialog(font, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.familyList->currentItem() == nullptr)
        return false;
    font = dialog.selectedFont();
    return true;
}
