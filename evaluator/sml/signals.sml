(* Signals through a descriptor: SIGINT, SIGUSR1 and SIGTERM are blocked in
 * every thread and read from a signalfd. Pending signals then stay in the
 * kernel in the order they came, so the start of an evaluation can take
 * every SIGINT that came before its text and drop them: an interrupt meant
 * for an evaluation that had just ended never reaches the next one. The
 * run-time's own threads exist before any ML code runs, so the evaluator
 * blocks the signals and starts itself again; threads inherit the mask. *)
structure TolqSignals =
struct
  structure F = Foreign
  structure Mem = Foreign.Memory

  val sigsetBytes = 0w128 : word
  val sigBlock = 0
  val sfdNonblock = 2048
  val sfdCloexec = 524288
  val infoBytes = 128

  fun number s = SysWord.toInt (Posix.Signal.toWord s)
  fun handled () = map number [Posix.Signal.int, Posix.Signal.usr1, Posix.Signal.term]

  (* The descriptor and the buffer one record is read into; NONE when the
   * signals come through the run-time's handlers instead. *)
  val channel : {fd : int, read : unit -> int, buffer : Mem.voidStar} option ref = ref NONE

  fun libc () = F.loadExecutable ()
  fun call1 (name, a, r) = F.buildCall1 (F.getSymbol (libc ()) name, a, r)
  fun call2 (name, a, r) = F.buildCall2 (F.getSymbol (libc ()) name, a, r)
  fun call3 (name, a, r) = F.buildCall3 (F.getSymbol (libc ()) name, a, r)

  fun handledSet () =
      let val set = Mem.malloc sigsetBytes
          val empty = call1 ("sigemptyset", F.cPointer, F.cInt)
          val add = call2 ("sigaddset", (F.cPointer, F.cInt), F.cInt)
      in ignore (empty set); List.app (fn s => ignore (add (set, s))) (handled ()); set end

  (* Whether the process's first thread blocks the signals: the run-time
   * blocks signals in the threads that run ML anyway, and takes them in a
   * thread of its own, so the first thread's mask is the one to read. *)
  fun allBlocked () =
      let val status = TextIO.openIn "/proc/self/status"
          fun blockedMask () =
              case TextIO.inputLine status of
                NONE => NONE
              | SOME line =>
                  if String.isPrefix "SigBlk:" line
                  then StringCvt.scanString (LargeWord.scan StringCvt.HEX)
                                            (String.extract (line, 7, NONE))
                  else blockedMask ()
          val mask = blockedMask () before TextIO.closeIn status
          fun blocked (m, s) = LargeWord.andb (LargeWord.>> (m, Word.fromInt (s - 1)), 0w1) = 0w1
      in case mask of
           SOME m => List.all (fn s => blocked (m, s)) (handled ())
         | NONE => false
      end

  fun cString (s : string) =
      let val p = Mem.malloc (Word.fromInt (size s + 1))
      in CharVector.appi (fn (i, c) => Mem.set8 (p, Word.fromInt i, Word8.fromInt (Char.ord c))) s;
         Mem.set8 (p, Word.fromInt (size s), 0w0);
         p
      end

  (* The command line as it was given, runtime options included (the
   * runtime takes those out of CommandLine.arguments). *)
  fun originalArguments () =
      let val file = BinIO.openIn "/proc/self/cmdline"
          val bytes = BinIO.inputAll file before BinIO.closeIn file
          val text = Byte.bytesToString bytes
          val fields = String.fields (fn c => c = #"\000") text
      in case rev fields of "" :: rest => rev rest | _ => fields
      end
      handle _ => CommandLine.name () :: CommandLine.arguments ()

  (* Blocks the signals and runs this program again with the same
   * arguments; returns only when that cannot be done. *)
  fun restartBlocked () =
      let val set = handledSet ()
          val mask = call3 ("sigprocmask", (F.cInt, F.cPointer, F.cPointer), F.cInt)
          val args = originalArguments ()
          val argv = Mem.malloc (Word.fromInt (8 * (length args + 1)))
          val execv = call2 ("execv", (F.cPointer, F.cPointer), F.cInt)
      in List.foldl (fn (a, i) => (Mem.setAddress (argv, i, cString a); i + 0w1)) 0w0 args;
         Mem.setAddress (argv, Word.fromInt (length args), Mem.null);
         if mask (sigBlock, set, Mem.null) = 0 then ignore (execv (cString "/proc/self/exe", argv)) else ()
      end

  (* Called first at start: afterwards the signals are blocked everywhere,
   * unless that cannot be had. *)
  fun prepare () = (if allBlocked () then () else restartBlocked ()) handle _ => ()

  (* The C library's poll, looked up once per process (see openChannel). *)
  val pollCall : (Mem.voidStar * int * int -> int) option ref = ref NONE

  fun poll () =
      case !pollCall of
        SOME f => f
      | NONE => let val f = call3 ("poll", (F.cPointer, F.cInt, F.cInt), F.cInt)
                in pollCall := SOME f; f end

  (* Whether descriptor fd can be read within limit milliseconds (~1: no
   * limit), asked of the C library: the run-time's poll is not safe on
   * standard input nor on a signalfd. *)
  fun readable (fd : int, limit : int) : bool =
      let val pollfd = Mem.malloc 0w8   (* struct pollfd: int fd, short events, short revents *)
          val () = (Mem.set32 (pollfd, 0w0, Word32.fromInt fd);
                    Mem.set16 (pollfd, 0w2, 0w1);   (* POLLIN *)
                    Mem.set16 (pollfd, 0w3, 0w0))
          val n = poll () (pollfd, 1, limit)
      in Mem.free pollfd; n > 0 end

  (* Opens the descriptor when the signals are blocked; otherwise they come
   * through the run-time's handlers. Called at start, after a state is
   * loaded: foreign functions looked up by the saving process are not
   * valid here. *)
  fun openChannel () =
      (channel := NONE;
       pollCall := NONE;
       if allBlocked ()
       then let val set = handledSet ()
                val fd = call3 ("signalfd", (F.cInt, F.cPointer, F.cInt), F.cInt)
                               (~1, set, sfdNonblock + sfdCloexec)
                val () = Mem.free set
            in if fd < 0 then ()
               else let val buffer = Mem.malloc (Word.fromInt infoBytes)
                        val read = call3 ("read", (F.cInt, F.cPointer, F.cLong), F.cLong)
                    in channel := SOME {fd = fd, read = fn () => read (fd, buffer, infoBytes),
                                        buffer = buffer}
                    end
            end
       else ())
      handle _ => ()

  fun viaDescriptor () = isSome (!channel)

  (* The next pending signal, without waiting. *)
  fun take () : int option =
      case !channel of
        NONE => NONE
      | SOME {read, buffer, ...} =>
          if read () = infoBytes then SOME (Word32.toInt (Mem.get32 (buffer, 0w0))) else NONE

  (* Waits until a signal is pending. *)
  fun wait () =
      case !channel of
        NONE => ()
      | SOME {fd, ...} => ignore (readable (fd, ~1))
end
