// The interface objects a saver's settings sheet is made of. The portable core only holds references to them; the
// settings window, which is built with a toolkit, defines them.
#pragma once

class SheetWindow;
class ColorWell;
class Checkbox;
class Slider;
class LinkView;
