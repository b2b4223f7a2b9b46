namespace game {} // replaced by the catalogue and state
