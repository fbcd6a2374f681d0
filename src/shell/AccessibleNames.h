#pragma once
// Screen readers announce a combo box by its caption (its accessibleName or its buddy label),
// with the chosen entry as its value. Qt's own combo-box interface on Linux reports the current
// entry as the name, so eight boxes that all show "电话" would all be read as "电话". The
// interface installed here keeps the caption as the name and otherwise answers as Qt's does:
// the entry as the value, the list and (when editable) the edit field as children. Call once
// after the application object exists.
void InstallAccessibleNames();
