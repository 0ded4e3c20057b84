/* Floor of every run: a program that does nothing, so that the start-up cost
   of the platform can be told apart from the work of the others. */
int main(void) {
  return 0;
}
