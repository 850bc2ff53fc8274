// Holds the precompiled <QtWidgets> header the widget layers share.
