#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <functional>
#include <initializer_list>
#include <vector>

#include "messaging/Objects.h"

class QLabel;
class QPushButton;

namespace codegen {
class VarNames;
}
namespace ui {
class ListView;
}

namespace addressbook {

// A text box that, on getting the focus, selects from the caret to the end of
// its text, so that typing replaces what is there.
class SelectOnFocusLineEdit : public QLineEdit {
    Q_OBJECT
  public:
    using QLineEdit::QLineEdit;

  protected:
    void focusInEvent(QFocusEvent* event) override;
};

// A text box that keeps its caret on getting the focus, with nothing
// selected, also when the focus comes by the Tab key.
class KeepCaretLineEdit : public QLineEdit {
    Q_OBJECT
  public:
    using QLineEdit::QLineEdit;

  protected:
    void focusInEvent(QFocusEvent* event) override;
};

// "Add Addresses": collects Internet addresses with names and notes and adds
// them to the Personal Address Book as one entry or as a personal
// distribution list, writing the code that does the same.
class AddAddrForm : public QDialog {
    Q_OBJECT
  public:
    using AppendCode = std::function<void(const QString&)>;

    AddAddrForm(const codegen::VarNames& names, AppendCode appendCode, QWidget* parent = nullptr);
    ~AddAddrForm() override;

    // Set by the opener before the window is shown.
    mapi::Ref<mapi::Session> oFormSession;
    // The Personal Address Book, searched for once per opening.
    mapi::Ref<mapi::AddressList> oPabList;
    bool bPabFound = false;

    // Form_Load, then the modal loop. Without a session the window says so
    // and unloads without being shown.
    int exec() override;

    void AddListButton_Click();
    void ClearListButton_Click();
    void CloseButton_Click();
    void AddButton_Click();

    // Looks up the address list named "Personal Address Book" and writes the
    // code for it; sets oPabList when found. Messaging errors propagate.
    bool FindPab();
    // Stores a comment on the entry and writes its code; errors are passed over.
    void UpdateNotes(const QString& sNotes, const mapi::Ref<mapi::AddressEntry>& oEntry,
                     const QString& sVarName);

  private:
    using Created = std::vector<mapi::Ref<mapi::AddressEntry>>;

    // One step's lines to the code window (see codegen::Code::lines).
    void appendLines(QStringView block, std::initializer_list<QString> args = {});
    // The lines that add an Internet address to `collection` as the entry
    // `var`, sending it no rich text, and save it.
    void appendSmtpEntry(const QString& var, const QString& collection, const QString& name,
                         const QString& address);

    bool formLoad();
    // The two shapes of "Add to PAB"; each records what it creates in `created`
    // and returns the entry that gets the closing Update.
    mapi::Ref<mapi::AddressEntry> addDistributionList(
        const mapi::Ref<mapi::AddressEntries>& entries, Created& created);
    mapi::Ref<mapi::AddressEntry> addSingleEntry(const mapi::Ref<mapi::AddressEntries>& entries,
                                                 Created& created);

    const codegen::VarNames& names_;
    AppendCode appendCode_;

    SelectOnFocusLineEdit* nameText_;
    SelectOnFocusLineEdit* addrText_;
    SelectOnFocusLineEdit* noteText_;
    QPushButton* addListButton_;
    QPushButton* clearListButton_;
    ui::ListView* addrList_;
    KeepCaretLineEdit* pdlText_;
    KeepCaretLineEdit* dlNoteText_;
    QPushButton* addButton_;
    QPushButton* closeButton_;
};

}  // namespace addressbook
