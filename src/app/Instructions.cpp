#include "app/Instructions.h"

#include <QStringList>

namespace app {

QString instructionsText() {
    static const char* const kParagraphs[] = {
        "*** Quorvane '99 Instructions ***",
        "Thanks for using Quorvane '99.  Quorvane provides a graphical front-end to a MAPI mailbox "
        "and generates MAPI calls for you based on the tasks you perform with Quorvane.  Following "
        "are instructions for how to perform some common tasks in Quorvane:",
        "1.  Log On:  Before you do anything, you need to log onto Quorvane.  You can do that by "
        "clicking on the Logon button in the lower-right corner, or double-clicking on the mailbox "
        "icon.",
        "2.  Log Off:  Click the LogOff button in the lower-right corner.",
        "3.  Copy Items From the Code Window:  Just click the Copy button to copy everything in "
        "the "
        "code window.  To copy only a portion of the contents, highlight the section you want to "
        "copy, right-click in the selected text and select Copy from the shortcut menu.",
        "4.  Clear the Code Window:  Click the Clear button directly above the code window.",
        "5.  Drilling Into The Mailbox Hierarchy:  Double-click on any item to expand it.  If it "
        "has "
        "items beneath it (like a store has folders, or folders have messages), those items appear "
        "when you double-click on the icon.",
        "6.  Change the Variable Names the Code Generator Uses:  Click on the Options tab.  There "
        "is "
        "a graphical view of all the objects that Quorvane uses when generating code.  To change "
        "the variable name used, just click on the item name next to the icon of the hand writing "
        "with a pencil.  You need to click on it twice, with a pause in between, and then you can "
        "edit the variable name in place.",
        "7.  Send A Message:  Click on the Send Message button.  It brings up another window where "
        "you can enter all of the message information, such as recipients, subject, message text, "
        "attachments, etc.  Once you click on the Send button all the code to send that message is "
        "added to the code window, but the message is not actually sent.",
        "8.  Delete A Message:  Highlight the message you want to delete, then click the Delete "
        "Message button.",
        "9.  Find A Folder:  Click on the Information Store or Folder in which you want to search "
        "for a folder or subfolder.  In the Folder Name To Find edit box on the Functions tab, "
        "type "
        "in the name of the folder for which you want to search.  The name must match exactly; the "
        "case does not need to.  Click the Find Folder button and a list of folders that match the "
        "criteria is displayed.",
        "10.  Add To The Personal Address Book (PAB):  You can add a single address or a "
        "distribution list to the PAB.  To begin, click on the Add to PAB button.  This brings up "
        "a "
        "separate dialog where you can enter all the address information. Type in the display "
        "name, SMTP address, and optionally, any notes you want for the individual, then click on "
        "the Add to List button.  If you're only adding one person, you can click on the Add to "
        "PAB "
        "button then.  If you want to create a distribution list, keep entering data in the top "
        "row "
        "of edit boxes and clicking the Add to List button.  Once you've added all the entries for "
        "the distribution list, type in the distribution list name and any notes about the "
        "distribution list in the edit boxes on the bottom of the dialog, then click the Add to "
        "PAB "
        "button.",
        "11.  Find An AddressEntry Object Based on Email Alias:  Click on the Address Details "
        "button.  Type in the email address for which you are searching and click the OK button.  "
        "Next, a dialog appears from which you need to select the address list that you want to "
        "use in your search.  Select the list and click the OK button.  NOTE:  The primary use for "
        "this function is when working against a live version of the Exchange Global Address List. "
        " If you are working offline or trying it against a different address list provider, "
        "unpredicatable results may occur.",
        "12.  Save Attachments:  Click on an attachment object in the graphical view and then "
        "click "
        "on the Save Attachment button.",
        "13.  Create A Filter:  In the Filter/Find For: frame, click on the Message or Address "
        "option button.  To add criteria for the filter, click on the Filter Property dropdown and "
        "select an item by which you wish to filter.  After you select your filter item, type in "
        "the value you want to search for in the Value edit box.  After you type in your search "
        "criteria, click the Add button to the immediate right of the Filter Property dropdown.  "
        "If "
        "you make a mistake and need to remove an item from the criteria list, simply select it "
        "and "
        "click the Delete button that is immediately to the right of the Value edit box.",
        "You can do this to add as many different search criteria as you like.  When you've added "
        "all the search criteria you want to use, click the Filter button that is directly above "
        "the Filter/Find For: frame.",
        "If the Clear Criteria checkbox is checked, then the criteria used in a filter is cleared "
        "from the criteria list whenever a filter is executed.  If it is unchecked, then the "
        "filter "
        "criteria remains in the list and you can add to or remove from it by using the Add and "
        "Delete buttons as described above.",
        "If you want to filter by custom MAPI fields, select Fields from the Filter Property "
        "dropdown.  When you do that, several new fields will appear, including a Field Name edit "
        "box, a Field Value edit box, a NOT checkbox, an And/Or frame option, and a dropdown with "
        "a "
        "list of data types.",
        "To add a custom field filter, type in the name of the field in the Field Name edit box.  "
        "Type in the value for which you are searching in the Field Value edit box.  If you want "
        "to "
        "filter for all messages that do NOT meet that criteria, then check the NOT checkbox.  If "
        "you are entering multiple criteria and you want all of them to be aggregated together, "
        "select the AND option button.  If you want a filter to include a messages that matches "
        "any of the criteria entered, select the OR option button.  Finally, you need to declare "
        "what data type the field is on which the filter is being applied.  Use the data type "
        "dropdown to select the field data type.",
        "Once you 've entered all the necessary information for the field criteria, use the Add, "
        "Delete and Filter buttons as described above.",
    };
    QString out;
    for (const char* p : kParagraphs) {
        out += QString::fromLatin1(p);
        out += QStringLiteral("\r\n\r\n");
    }
    return out;
}

}  // namespace app
