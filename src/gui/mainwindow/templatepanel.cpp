#include "templatepanel.h"

#include "mail/templates.h"
#include "platform/prompts.h"
#include "platform/textfile.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

const QString kFilter = QStringLiteral("Email Files (*.elm)");

// The editor holds each line followed by a line end, as the file had it.
QString editorText(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += u'\n';
    }
    return text;
}

// The inverse of editorText: a last line end ends the last line rather than starting a new
// one, so that saving what was opened writes the same lines.
QStringList editorLines(QString text)
{
    if (text.isEmpty())
        return {};
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text.split(u'\n');
}

} // namespace

TemplatePanel::TemplatePanel(const QString &appFolder, QWidget *parent)
    : QWidget(parent), m_appFolder(appFolder)
{
    setObjectName(QStringLiteral("TemplatePanel"));
    setAccessibleName(QStringLiteral("Email Template"));

    m_inputsLabel = new QLabel(QStringLiteral("Email Inputs"));
    m_inputsLabel->setObjectName(QStringLiteral("EmailInputsLabel"));
    m_combo3 = new QComboBox;
    m_combo3->setObjectName(QStringLiteral("Combo3"));
    m_combo3->setEditable(true);
    // What the user types is inserted, not added to the list.
    m_combo3->setInsertPolicy(QComboBox::NoInsert);
    m_combo3->setAccessibleName(QStringLiteral("Email Inputs"));
    m_inputsLabel->setBuddy(m_combo3);
    m_command13 = new QPushButton(QStringLiteral("Enter Input"));
    m_command13->setObjectName(QStringLiteral("Command13"));
    m_command13->setAccessibleName(QStringLiteral("Enter Input"));
    connect(m_command13, &QPushButton::clicked, this, &TemplatePanel::enterInput);

    auto *editorLabel = new QLabel(QStringLiteral("Email Template"));
    editorLabel->setObjectName(QStringLiteral("EmailTemplateLabel"));
    m_text20 = new QPlainTextEdit;
    m_text20->setObjectName(QStringLiteral("Text20"));
    m_text20->setAccessibleName(QStringLiteral("Email Template"));
    // Tab leaves the editor as it leaves every other box; templates need no tab characters.
    m_text20->setTabChangesFocus(true);
    m_text20->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    editorLabel->setBuddy(m_text20);

    auto *inputs = new QHBoxLayout;
    inputs->addWidget(m_inputsLabel);
    inputs->addWidget(m_combo3, 1);
    inputs->addWidget(m_command13);

    auto *groups = new QHBoxLayout;
    QGroupBox *group = nullptr;
    QVBoxLayout *groupLayout = nullptr;
    int number = 17;
    for (const Templates::FixedTemplate &t : Templates::fixedTemplates()) {
        if (!group || group->title() != t.group) {
            group = new QGroupBox(t.group);
            group->setAccessibleName(t.group);
            groupLayout = new QVBoxLayout(group);
            groups->addWidget(group, 0, Qt::AlignTop);
        }
        auto *button = new QPushButton(t.caption);
        button->setObjectName(QStringLiteral("Command%1").arg(number++));
        button->setAccessibleName(t.caption);
        const QString fileName = t.fileName;
        connect(button, &QPushButton::clicked, this, [this, fileName] { openFixed(fileName); });
        groupLayout->addWidget(button);
        m_templateButtons.append(button);
    }
    groups->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(inputs);
    layout->addWidget(editorLabel);
    layout->addWidget(m_text20, 1);
    layout->addLayout(groups);

    // Input list and its button first, then the text they feed, then the templates.
    QWidget *chain = m_combo3;
    for (QWidget *next : QList<QWidget *>{m_command13, m_text20} +
                             QList<QWidget *>(m_templateButtons.begin(), m_templateButtons.end())) {
        setTabOrder(chain, next);
        chain = next;
    }

    setInputs({});
}

void TemplatePanel::setInputs(const QStringList &extraLines)
{
    m_combo3->clear();
    m_combo3->addItems(Templates::placeholderTokens());
    for (const QString &line : extraLines) {
        if (!line.isEmpty())
            m_combo3->addItem(line);
    }
    m_combo3->setCurrentIndex(0);
}

QList<QWidget *> TemplatePanel::helpControls() const
{
    return {m_inputsLabel, m_command13, m_text20->viewport(), m_templateButtons.first()};
}

void TemplatePanel::enterInput()
{
    // At the end of the text whatever the cursor; the user's cursor stays where it was.
    QTextCursor end(m_text20->document());
    end.movePosition(QTextCursor::End);
    end.insertText(m_combo3->currentText());
}

void TemplatePanel::newTemplate()
{
    m_text20->clear();
    // A new text has no file yet: proposing the last one would let Enter overwrite it.
    m_proposed.clear();
}

void TemplatePanel::openFixed(const QString &fileName)
{
    const QString path = Templates::templatePath(m_appFolder, fileName);
    if (!QFileInfo::exists(path)) {
        const Prompts::Button answer = prompts().message(
            QStringLiteral(
                "File Was Not found!\r\n\r\nWhould You like you use the Back Up for this File?"),
            QStringLiteral("File Not Found."), Prompts::Yes | Prompts::No, Prompts::Icon::Question);
        QString why = QStringLiteral("\"%1\" was not found.").arg(QDir::toNativeSeparators(path));
        bool restored = false;
        if (answer == Prompts::Yes) {
            bool backupMissing = false;
            restored = Templates::restoreFromBackup(m_appFolder, fileName, &why, &backupMissing);
            if (!restored && !backupMissing) {
                reportFailure(why);
                return;
            }
        }
        if (!restored) {
            // Nothing to show, but a Save still proposes this template, so the user can
            // write a new one in its place.
            m_text20->clear();
            m_proposed = path;
            emit statusMessage(why);
            return;
        }
    }
    if (load(path)) {
        m_proposed = path;
        emit titleChanged(QStringLiteral("Lotwise - File ") + QDir::toNativeSeparators(path) +
                          QStringLiteral(" Opened."));
    }
}

void TemplatePanel::OpenTemplate()
{
    const QString path = prompts().openFileName(QStringLiteral("Open Email Template"),
                                                Templates::templatesFolder(m_appFolder), kFilter);
    if (path.isEmpty())
        return;
    if (!load(path))
        return;
    // A Save proposes the file whose text the editor now holds, never an earlier one.
    m_proposed = path;
    emit titleChanged(QStringLiteral("Lotwise - File ") + QDir::toNativeSeparators(path) +
                      QStringLiteral(" Opened."));
}

void TemplatePanel::SaveTemplate()
{
    const QString start =
        m_proposed.isEmpty() ? Templates::templatesFolder(m_appFolder) : m_proposed;
    const QString path =
        prompts().saveFileName(QStringLiteral("Save Email Template"), start, kFilter);
    if (path.isEmpty())
        return;
    // The closing options keep a template's name and subject on one comma-separated line.
    if (QFileInfo(path).fileName().contains(u',')) {
        reportFailure(QStringLiteral("\"%1\" was not saved: a template's name cannot hold a "
                                     "comma. Save it under a name without one.")
                          .arg(QFileInfo(path).fileName()));
        return;
    }
    QString why;
    if (!TextFile::writeLines(path, editorLines(m_text20->toPlainText()), &why)) {
        reportFailure(QStringLiteral("\"%1\" cannot be written: %2.")
                          .arg(QDir::toNativeSeparators(path), why));
        return;
    }
    m_proposed = path;
    emit titleChanged(QStringLiteral("Lotwise - File ") + QDir::toNativeSeparators(path) +
                      QStringLiteral(" Saved."));
}

bool TemplatePanel::load(const QString &path)
{
    QStringList lines;
    QString why;
    if (!Templates::readLines(path, &lines, &why)) {
        reportFailure(why);
        return false;
    }
    m_text20->setPlainText(editorText(lines));
    return true;
}

void TemplatePanel::reportFailure(const QString &what)
{
    prompts().message(what, QStringLiteral("Email Template"), Prompts::Ok, Prompts::Icon::Warning);
}
