// Combat, damage, death and the explosion particles.
#pragma once

// Prepares the 400 explosion particles. Called by main and when the second character dies.
void resetParticles();
