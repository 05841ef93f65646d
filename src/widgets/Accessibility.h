#pragma once

class QWidget;

// Tells screen readers that a label (or a button) shows a new text, so they read it out: a
// count such as "1 New Message." or the name of the logged-in user. The text becomes the
// label's accessible name and a name-change event goes out; for a mark that is a check box or a
// choice (a label made a LabelControl) the checked state changed instead, and a state-change
// event goes out. Cheap when no screen reader listens.
void announceTextChange(QWidget *label);
