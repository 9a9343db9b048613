# Installation and packaging of the two programs.
