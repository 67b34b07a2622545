// The bullet pool.
#pragma once

// Clears the bullet pool and loads the bullet pictures. Called once by main.
void initBullets();
